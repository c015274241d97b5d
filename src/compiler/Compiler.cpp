#include "Compiler.h"

#include "CheckMessages.h"
#include "calibration/SensorCalibration.h"

#include <QImage>

#include <vector>

namespace {

// Characters the program format cannot carry as text: they are the lead bytes
// of the elements inside a record, so a text holding one would change the
// structure of the program the sign reads.
bool isReservedByte(quint8 b)
{
    return b <= 0x03 || (b >= 0x1D && b <= 0x1F);
}

constexpr int MaxPictureWidth = 65535;

class Walk {
public:
    Walk(const SourceDocument &document, const Compiler::Hooks &hooks)
        : m_doc(document), m_hooks(hooks), m_count(document.itemCount())
    {
    }

    CheckResult run(const QString &pressureText, const QString &humidityText);

private:
    // Each step returns false when it met an error (already recorded).
    bool textStep(int i);
    bool pictureStep(int i);
    bool markerStep(int i, MarkerKind kind);
    void closingLookAhead(int i);

    bool fail(int i, const QString &message, ErrorPlace place)
    {
        m_error = CheckError{i, message, place};
        return false;
    }

    bool isContent(int j) const;
    bool isBoundary(int j) const;
    static quint8 argumentOf(const SourceItem &item) { return quint8(item.control->ItemIndex); }

    const SourceDocument &m_doc;
    const Compiler::Hooks &m_hooks;
    const int m_count;
    ProgramWriter m_out;
    RecordState m_state = RecordState::None;
    bool m_effect = false;
    int m_colour = SignColour::RedOnDark;
    std::optional<CheckError> m_error;
    // For each item j: the first item k >= j that is content or a boundary
    // (m_count when none), so that a run of pause, speed and font markers
    // decides each look-ahead at once instead of scanning the rest again.
    std::vector<int> m_nextStop;
};

bool Walk::isContent(int j) const
{
    const SourceItem &item = m_doc.item(j);
    if (item.isText())
        return !item.text.isEmpty();
    if (item.isPicture())
        return true;
    return item.markerKind() == MarkerKind::Info;
}

bool Walk::isBoundary(int j) const
{
    const auto kind = m_doc.item(j).markerKind();
    return kind == MarkerKind::Effect || kind == MarkerKind::EffectClear;
}

void Walk::closingLookAhead(int i)
{
    if (m_nextStop.empty()) {
        m_nextStop.assign(size_t(m_count) + 1, m_count);
        for (int j = m_count - 1; j >= 0; --j)
            m_nextStop[size_t(j)] = (isContent(j) || isBoundary(j)) ? j : m_nextStop[size_t(j) + 1];
    }
    // Content before the next effect or clear marker (or the end of the
    // document) keeps the command inside the open record; otherwise the
    // record is closed and the command stands at the top level.
    const int stop = m_nextStop[size_t(i)];
    if (stop < m_count && isContent(stop))
        return;
    if (m_state != RecordState::None) {
        m_out.closeAhead();
        m_state = RecordState::None;
    }
}

bool Walk::markerStep(int i, MarkerKind kind)
{
    const SourceItem &item = m_doc.item(i);
    const quint8 argument = argumentOf(item);
    switch (kind) {
    case MarkerKind::Effect:
        m_effect = true;
        m_out.closeForNewEffect(m_state);
        m_state = RecordState::EmptyEffect;
        m_out.openEffect(argument);
        return true;
    case MarkerKind::EffectClear:
        m_out.closeForClear(m_state);
        m_state = RecordState::EmptyEffect;
        m_out.openClear(argument);
        m_effect = false;
        return true;
    case MarkerKind::Pause:
        closingLookAhead(i);
        m_out.pause(argument);
        return true;
    case MarkerKind::Speed:
        closingLookAhead(i);
        m_out.speed(argument);
        return true;
    case MarkerKind::Font:
        closingLookAhead(i);
        m_out.font(argument);
        return true;
    case MarkerKind::Info:
        if (!m_effect)
            return fail(i, CheckMessages::NoOutputEffect, ErrorPlace::CaretBeforeItem);
        m_state = RecordState::TextPut;
        m_out.dateTime(item.control->ItemIndex);
        return true;
    }
    return true;
}

bool Walk::textStep(int i)
{
    const SourceItem &item = m_doc.item(i);
    if (item.text.isEmpty())
        return true;
    if (!m_effect)
        return fail(i, CheckMessages::NoOutputEffect, ErrorPlace::CaretBeforeItem);
    const TFontInfo *style = m_doc.textStyleOf(item);
    const std::optional<int> code = style ? signColourCode(*style) : std::nullopt;
    if (!code)
        return fail(i, CheckMessages::BadTextColour, ErrorPlace::ItemSelected);
    const QByteArray text = m_doc.singleByteText(i);
    for (const char c : text) {
        if (isReservedByte(quint8(c)))
            return fail(i, CheckMessages::BadTextCharacter, ErrorPlace::ItemSelected);
    }
    if (*code != m_colour) {
        m_colour = *code;
        m_out.colour(quint8(*code));
    }
    m_state = RecordState::TextPut;
    m_out.text(text);
    return true;
}

bool Walk::pictureStep(int i)
{
    const SourceItem &item = m_doc.item(i);
    if (!item.picture || !item.picture->isBitmap())
        return fail(i, CheckMessages::UnsupportedPicture, ErrorPlace::ItemSelected);
    if (!m_effect)
        return fail(i, CheckMessages::NoOutputEffect, ErrorPlace::CaretBeforeItem);
    m_state = RecordState::ImagePut;

    // A working copy in one known pixel layout; only the RGB part counts.
    const QImage &source = item.picture->image();
    if (source.height() != 8)
        return fail(i, CheckMessages::PictureHeight, ErrorPlace::ItemSelected);
    const int width = source.width();
    if (width > MaxPictureWidth)
        return fail(i, CheckMessages::PictureWidth, ErrorPlace::ItemSelected);
    const QImage work = source.convertToFormat(QImage::Format_ARGB32);

    m_out.imageStart(width);
    const QRgb *rows[8];
    for (int y = 0; y < 8; ++y)
        rows[y] = reinterpret_cast<const QRgb *>(work.constScanLine(y));
    bool bad = false;
    for (int x = 0; x < width; ++x) {
        quint8 column = 0;
        for (int y = 0; y < 8; ++y) {
            const QRgb rgb = rows[y][x] & 0x00FFFFFFu;
            if (rgb == 0x00FF0000u) {
                column |= quint8(0x80 >> y);
            } else if (rgb != 0) {
                bad = true;
                break;
            }
        }
        m_out.imageColumn(column);
        if (x % 8 == 7 && x != width - 1)
            m_out.imageLineBreak();
        if (bad)
            break;
    }
    m_out.imageEnd();
    if (bad)
        return fail(i, CheckMessages::BadPictureColour, ErrorPlace::ItemSelected);
    return true;
}

CheckResult Walk::run(const QString &pressureText, const QString &humidityText)
{
    CheckResult result;
    m_out.reserve(qsizetype(m_count) * 8 + 16);
    m_out.startBytes();

    int done = 0;
    bool aborted = false;
    for (int i = 0; i < m_count; ++i) {
        const SourceItem &item = m_doc.item(i);
        bool ok = true;
        if (item.isText()) {
            ok = textStep(i);
        } else if (item.isPicture()) {
            ok = pictureStep(i);
        } else if (item.isControl()) {
            if (const auto kind = item.markerKind())
                ok = markerStep(i, *kind);
        }
        if (!ok)
            break;
        done = i + 1;
        if (m_hooks.afterItem)
            m_hooks.afterItem(done, m_count);
        if (m_hooks.abort && m_hooks.abort->load()) {
            aborted = true;
            break;
        }
    }

    m_out.closeAtEnd(m_state);
    SensorCalibration values;
    values.pressure = pressureText;
    values.humidity = humidityText;
    if (m_hooks.calibration)
        values = m_hooks.calibration();
    const ReducedCalibration pressure = reduceCalibration(values.pressure);
    const ReducedCalibration humidity = reduceCalibration(values.humidity);
    m_out.endMark(pressure.byte, humidity.byte);

    result.program = m_out.takeProgram();
    result.listing = m_out.takeListing();
    result.error = m_error;
    result.aborted = aborted && !m_error;
    result.itemsDone = done;
    result.pressure = pressure.byte;
    result.humidity = humidity.byte;
    result.pressureText = pressure.text;
    result.humidityText = humidity.text;
    return result;
}

} // namespace

CheckResult Compiler::compile(const SourceDocument &document, const QString &pressureText,
                              const QString &humidityText, const Hooks &hooks)
{
    Walk walk(document, hooks);
    return walk.run(pressureText, humidityText);
}
