#pragma once

#include <QByteArray>

namespace velmora::PdfTextMapRepair {

// Qt names each embedded glyph after the lowest code point that the font maps to it. A CJK font
// draws a Kangxi radical (U+2F00…) or CJK radical (U+2E80…) with the very glyph of its ideograph,
// so "日" would be copied or extracted from the PDF as "⽇". Rewrites, in the PDF's ToUnicode maps,
// every such radical to the ideograph it stands for. Same length, so no offset in the file moves.
void mapRadicalsToIdeographs(QByteArray& pdf);

} // namespace velmora::PdfTextMapRepair
