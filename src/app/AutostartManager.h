#pragma once

#include <QString>

namespace velmora {

// "Start Velmora at login": an XDG autostart entry (~/.config/autostart/<id>.desktop) that
// starts the application with `--autostart`, so it opens no window at login.
class AutostartManager {
public:
    static constexpr auto applicationID = "org.velmora.Velmora";

    // `autostartFolder` is normally the user's; `executable` the absolute path to start.
    AutostartManager(QString autostartFolder, QString executable);
    // The user's autostart folder and this program.
    static AutostartManager forCurrentUser();

    QString entryPath() const;
    // An entry that the desktop would start: present and not hidden.
    bool isEnabled() const;
    // Writes or removes the entry. Throws `FileError` when the folder or file cannot be written;
    // a failed write leaves the previous entry as it was.
    void setEnabled(bool enabled);

    // The entry's text.
    QString entryText() const;

private:
    QString folder_;
    QString executable_;
};

} // namespace velmora
