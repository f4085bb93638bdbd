#include "platform/linux/AtspiTree.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

// The scan's quick class check must answer exactly as the class list that readers see.
TEST(AtspiTreeTest, ClassCheckAgreesWithTheClassList) {
    const QStringList classes{
        "live-transcription-subtitle__box", "a live-transcription-subtitle__box b",
        "live-transcription-subtitle__box-wrapper", "x-live-transcription-subtitle__box",
        "live-transcription-subtitle__boxlive-transcription-subtitle__box",
        "\tlive-transcription-subtitle__box\n", "a\u00a0live-transcription-subtitle__box",
        "live-transcription-subtitle__", "", "  "};
    const QStringList names{"live-transcription-subtitle__box", "a", "b", "box", ""};
    for (const QString& value : classes) {
        const QHash<QString, QString> attributes{{QStringLiteral("class"), value}};
        for (const QString& name : names) {
            EXPECT_EQ(AtspiTree::hasClass(attributes, name), AtspiTree::classList(attributes).contains(name))
                << '"' << value.toStdString() << "\" has \"" << name.toStdString() << '"';
        }
    }
    EXPECT_FALSE(AtspiTree::hasClass({{QStringLiteral("id"), QStringLiteral("a")}}, QStringLiteral("a")));
}

} // namespace
