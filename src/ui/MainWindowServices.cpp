#include "ui/MainWindowServices.h"

#include "app/CompositionRoot.h"
#include "app/MeetingLibrary.h"

namespace velmora {

MainWindowServices MainWindowServices::from(CompositionRoot& root) {
    AppController& controller = root.controller();
    MeetingLibrary& library = root.library();
    MainWindowServices services{
        root.appState(),
        root.notes(),
        root.outputDirectory(),
        root.fileRevealer(),
        root.scheduler(),
        root.settings(),
        [&library](const MeetingRecord& record) { library.updateRecord(record); },
        [&controller](const MeetingRecord& record) { controller.deleteMeeting(record); },
        [&controller](const MeetingRecord& record, const std::optional<QString>& notes) {
            controller.summarizeMeeting(record, notes);
        },
        {},
    };
    services.search = &root.searchSession();
    return services;
}

} // namespace velmora
