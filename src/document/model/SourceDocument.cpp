#include "SourceDocument.h"

#include "CodePage.h"

const TFontInfo *SourceDocument::textStyleOf(const SourceItem &item) const
{
    if (item.styleNo < 0 || size_t(item.styleNo) >= styles.TextStyles.size())
        return nullptr;
    return &styles.TextStyles[size_t(item.styleNo)];
}

namespace {
QStringView utf16View(const QByteArray &bytes)
{
    return QStringView(reinterpret_cast<const char16_t *>(bytes.constData()), bytes.size() / 2);
}
} // namespace

QByteArray SourceDocument::singleByteText(int i) const
{
    const SourceItem &it = item(i);
    if (!it.isUtf16())
        return it.text;
    const TFontInfo *style = textStyleOf(it);
    const int codePage = style ? style->codePage() : CodePage::SystemAnsi;
    return CodePage::fromUnicode(codePage, utf16View(it.text));
}

QString SourceDocument::unicodeText(int i) const
{
    const SourceItem &it = item(i);
    if (it.isUtf16())
        return utf16View(it.text).toString();
    const TFontInfo *style = textStyleOf(it);
    return CodePage::toUnicode(style ? style->codePage() : CodePage::SystemAnsi, it.text);
}

int SourceDocument::offsetBefore(int i) const
{
    return item(i).isText() ? 1 : 0;
}

int SourceDocument::offsetAfter(int i) const
{
    const SourceItem &it = item(i);
    if (!it.isText())
        return 1;
    const qsizetype length = it.isUtf16() ? it.text.size() / 2 : it.text.size();
    return int(length) + 1;
}
