#include "SignPlayer.h"

#include "document/model/MarkerKind.h"

#include <QLocale>

#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;
using SignEffects::Pace;

namespace {

constexpr quint8 NewProgramSpeed = 9;  // speed 10
constexpr quint8 NewProgramFont = 1;   // "Высокий 6x8"

// The length of the text of each info number; the formats are fixed.
int dateTimeLength(quint8 info)
{
    switch (info) {
    case 0: return 5;   // hh:mm
    case 1: return 8;   // hh:mm:ss
    case 2:
    case 3:
    case 4: return 10;  // the dates
    default: return 2;  // "??"
    }
}

QString entryText(MarkerKind kind, int index)
{
    const QStringList &entries = markerKindInfo(kind).entries;
    return index >= 0 && index < entries.size() ? entries.at(index) : u"номер %1"_s.arg(index);
}

} // namespace

SignPlayer::SignPlayer(const CompiledProgram &program, const SignFonts &fonts, int width)
    : m_fonts(fonts), m_width(std::clamp(width, MinWidth, MaxWidth))
{
    build(program);
}

void SignPlayer::setWidth(int width)
{
    width = std::clamp(width, MinWidth, MaxWidth);
    if (width == m_width)
        return;
    m_width = width;
    m_plan = Plan();
    m_passStarts.clear();
}

qint64 SignPlayer::pauseMilliseconds(quint8 pause)
{
    static constexpr qint64 Short[] = {100, 300, 500, 1000};
    if (pause < 4)
        return Short[pause];
    if (pause <= 17)
        return (qint64(pause) - 2) * 1000;
    return 0;  // a pause marker with no entry
}

qint64 SignPlayer::stepMilliseconds(quint8 speed)
{
    // Speed s moves 5 s columns a second: speed 1 a column every 200 ms,
    // speed 10 every 20 ms, speed 20 every 10 ms.
    const int s = std::clamp(int(speed) + 1, 1, 20);
    return (200 + s / 2) / s;
}

QString SignPlayer::dateTimeText(quint8 info, const QDateTime &clock)
{
    static const char *const Formats[] = {"hh:mm", "hh:mm:ss", "MM/dd/yyyy", "dd-MM-yyyy", "yyyy-MM-dd"};
    if (info >= std::size(Formats))
        return u"??"_s;
    return QLocale::c().toString(clock, QString::fromLatin1(Formats[info]));
}

quint64 SignPlayer::seed(int pass, int scene)
{
    return quint64(quint32(pass)) << 32 | quint32(scene);
}

int SignPlayer::pieceWidth(const Piece &piece) const
{
    if (!piece.dateTime)
        return int(piece.columns.size());
    return dateTimeLength(piece.info) * m_fonts.font(piece.font).cellWidth();
}

int SignPlayer::addRecord(const ProgramElement &element, quint8 &font, quint8 &colour, quint8 &speed,
                          std::vector<const ContentElement *> &pauses)
{
    Record record;
    for (const ContentElement &content : element.content) {
        switch (content.kind) {
        case ContentElement::Kind::Text: {
            const SignFont &glyphs = m_fonts.font(font);
            Piece piece;
            piece.columns.reserve(content.bytes.size() * glyphs.cellWidth());
            for (const char byte : content.bytes)
                piece.columns.append(glyphs.glyph(quint8(byte)));
            if (colour == 1)
                for (char &column : piece.columns)
                    column = char(~column);
            record.pieces.push_back(std::move(piece));
            break;
        }
        case ContentElement::Kind::Image:
            record.pieces.push_back(Piece{content.bytes});
            break;
        case ContentElement::Kind::DateTime:
            record.pieces.push_back(Piece{QByteArray(), true, content.value, font, colour});
            record.dynamic = true;
            break;
        case ContentElement::Kind::Colour:
            colour = content.value == 1 ? 1 : 0;
            break;
        case ContentElement::Kind::Font:
            font = content.value;
            break;
        case ContentElement::Kind::Speed:
            speed = content.value;
            break;
        case ContentElement::Kind::Pause:
            pauses.push_back(&content);
            break;
        }
    }
    for (const Piece &piece : record.pieces)
        record.width += pieceWidth(piece);
    if (!record.dynamic) {
        record.strip.reserve(record.width);
        for (const Piece &piece : record.pieces)
            record.strip.append(piece.columns);
        record.pieces.clear();
    }
    m_records.push_back(std::move(record));
    return int(m_records.size()) - 1;
}

void SignPlayer::build(const CompiledProgram &program)
{
    quint8 speed = NewProgramSpeed;
    quint8 font = NewProgramFont;
    quint8 colour = 0;
    int shown = -1;
    auto hold = [&](quint8 pause, qsizetype offset) {
        Scene scene;
        scene.kind = Scene::Kind::Hold;
        scene.shown = shown;
        scene.pause = pause;
        scene.hold = pauseMilliseconds(pause);
        scene.offset = offset;
        m_scenes.push_back(scene);
    };
    for (const ProgramElement &element : program.elements) {
        switch (element.kind) {
        case ProgramElement::Kind::Effect:
        case ProgramElement::Kind::Clear: {
            std::vector<const ContentElement *> pauses;
            Scene scene;
            scene.effect = element.value;
            scene.offset = element.offset;
            if (element.kind == ProgramElement::Kind::Effect) {
                scene.kind = Scene::Kind::Output;
                scene.record = addRecord(element, font, colour, speed, pauses);
                m_random = m_random || element.value == SignEffects::RandomOutput;
            } else {
                scene.kind = Scene::Kind::Clear;
                scene.shown = shown;
                for (const ContentElement &content : element.content) {
                    if (content.kind == ContentElement::Kind::Font)
                        font = content.value;
                    else if (content.kind == ContentElement::Kind::Speed)
                        speed = content.value;
                    else if (content.kind == ContentElement::Kind::Pause)
                        pauses.push_back(&content);
                }
                m_random = m_random || element.value == SignEffects::RandomClear;
            }
            scene.speed = speed;
            m_scenes.push_back(scene);
            shown = scene.kind == Scene::Kind::Output ? int(m_scenes.size()) - 1 : -1;
            for (const ContentElement *pause : pauses)
                hold(pause->value, pause->offset);
            break;
        }
        case ProgramElement::Kind::Font:
            font = element.value;
            break;
        case ProgramElement::Kind::Speed:
            speed = element.value;
            break;
        case ProgramElement::Kind::Pause:
            hold(element.value, element.offset);
            break;
        }
    }
}

SignEffects::Span SignPlayer::shownSpan(int outputScene, const Plan &plan) const
{
    if (outputScene < 0)
        return {};
    const Record &record = m_records[size_t(m_scenes[size_t(outputScene)].record)];
    return SignEffects::restSpan(plan.scenes[size_t(outputScene)].effect, record.width, m_width);
}

void SignPlayer::makePlan(int pass, Plan &plan) const
{
    plan.pass = pass;
    plan.scenes.resize(m_scenes.size());
    qint64 at = 0;
    for (size_t k = 0; k < m_scenes.size(); ++k) {
        const Scene &scene = m_scenes[k];
        Planned &planned = plan.scenes[k];
        const qint64 step = stepMilliseconds(scene.speed);
        switch (scene.kind) {
        case Scene::Kind::Output:
            planned.effect = SignEffects::resolveOutput(scene.effect, seed(pass, int(k)));
            planned.steps = SignEffects::outputSteps(planned.effect, m_records[size_t(scene.record)].width, m_width);
            break;
        case Scene::Kind::Clear:
            planned.effect = SignEffects::resolveClear(scene.effect, seed(pass, int(k)));
            planned.steps = SignEffects::clearSteps(planned.effect, shownSpan(scene.shown, plan), m_width);
            break;
        case Scene::Kind::Hold:
            planned.steps = {};
            break;
        }
        planned.stepLength = scene.kind == Scene::Kind::Hold ? scene.hold
                             : planned.steps.pace == Pace::Rows ? step * RowStepFactor
                                                                : step;
        planned.duration = scene.kind == Scene::Kind::Hold ? scene.hold : planned.steps.count * planned.stepLength;
        planned.start = at;
        at += planned.duration;
    }
    plan.duration = at;
}

const SignPlayer::Plan &SignPlayer::planOf(int pass)
{
    if (m_plan.pass != pass)
        makePlan(pass, m_plan);
    return m_plan;
}

qint64 SignPlayer::passDuration(int pass)
{
    return planOf(m_random ? pass : 0).duration;
}

SignPlayer::Moment SignPlayer::momentAt(qint64 time)
{
    Moment moment;
    time = std::max<qint64>(0, time);
    int pass = 0;
    qint64 passStart = 0;
    if (!m_random) {
        const qint64 length = planOf(0).duration;
        if (length <= 0)
            return moment;
        pass = int(std::min<qint64>(time / length, std::numeric_limits<int>::max()));
        passStart = time - time % length;
        moment.plan = &planOf(0);
    } else {
        // Passes differ in length: find the pass from the ones planned so far.
        if (m_passStarts.empty())
            m_passStarts.push_back(0);
        auto found = std::upper_bound(m_passStarts.begin(), m_passStarts.end(), time);
        pass = int(found - m_passStarts.begin()) - 1;
        for (;;) {
            const Plan &plan = planOf(pass);
            if (plan.duration <= 0)
                return moment;
            const qint64 end = m_passStarts[size_t(pass)] + plan.duration;
            if (size_t(pass) + 1 == m_passStarts.size())
                m_passStarts.push_back(end);
            if (time < end)
                break;
            ++pass;
        }
        passStart = m_passStarts[size_t(pass)];
        moment.plan = &planOf(pass);
    }
    const qint64 local = time - passStart;
    const auto &scenes = moment.plan->scenes;
    auto it = std::upper_bound(scenes.begin(), scenes.end(), local,
                               [](qint64 t, const Planned &p) { return t < p.start; });
    // The last scene that has started: scenes of no length (a pause with no
    // entry) start where the next one does, so they are never the current one.
    const int k = int(it - scenes.begin()) - 1;
    moment.scene = k;
    moment.local = local - scenes[size_t(k)].start;
    moment.passStart = passStart;
    return moment;
}

QByteArrayView SignPlayer::strip(int recordIndex, const QDateTime &clock)
{
    const Record &record = m_records[size_t(recordIndex)];
    if (!record.dynamic)
        return record.strip;
    QString key;
    for (const Piece &piece : record.pieces)
        if (piece.dateTime)
            key += dateTimeText(piece.info, clock) + u'\n';
    if (recordIndex == m_dynamicRecord && key == m_dynamicKey)
        return m_dynamic;
    m_dynamic.clear();
    for (const Piece &piece : record.pieces) {
        if (!piece.dateTime) {
            m_dynamic.append(piece.columns);
            continue;
        }
        const SignFont &glyphs = m_fonts.font(piece.font);
        const QByteArray text = dateTimeText(piece.info, clock).toLatin1();
        for (const char byte : text) {
            QByteArrayView cell = glyphs.glyph(quint8(byte));
            for (const char column : cell)
                m_dynamic.append(piece.colour == 1 ? char(~column) : column);
        }
    }
    m_dynamicRecord = recordIndex;
    m_dynamicKey = key;
    return m_dynamic;
}

void SignPlayer::restFrame(int outputScene, const Plan &plan, const QDateTime &clock, LedFrame &out)
{
    out.clear(m_width);
    if (outputScene < 0)
        return;
    const QByteArrayView content = strip(m_scenes[size_t(outputScene)].record, clock);
    SignEffects::place(content,
                       SignEffects::restPosition(plan.scenes[size_t(outputScene)].effect, int(content.size()), m_width),
                       out);
}

void SignPlayer::render(qint64 time, const QDateTime &clock, LedFrame &out)
{
    const Moment moment = momentAt(time);
    if (!moment.plan) {
        out.clear(m_width);
        return;
    }
    const Scene &scene = m_scenes[size_t(moment.scene)];
    const Planned &planned = moment.plan->scenes[size_t(moment.scene)];
    const int step = int(std::min<qint64>(planned.steps.count, moment.local / std::max<qint64>(1, planned.stepLength) + 1));
    const quint64 sceneSeed = seed(moment.plan->pass, moment.scene);
    switch (scene.kind) {
    case Scene::Kind::Output:
        out.clear(m_width);
        SignEffects::renderOutput(planned.effect, step, strip(scene.record, clock), sceneSeed, out);
        return;
    case Scene::Kind::Clear:
        restFrame(scene.shown, *moment.plan, clock, m_display);
        SignEffects::renderClear(planned.effect, step, m_display, shownSpan(scene.shown, *moment.plan), sceneSeed,
                                 out);
        return;
    case Scene::Kind::Hold:
        restFrame(scene.shown, *moment.plan, clock, out);
        return;
    }
}

qint64 SignPlayer::nextStep(qint64 time)
{
    time = std::max<qint64>(0, time);
    const Moment moment = momentAt(time);
    if (!moment.plan)
        return time;
    const Planned &planned = moment.plan->scenes[size_t(moment.scene)];
    const qint64 sceneStart = moment.passStart + planned.start;
    const qint64 length = std::max<qint64>(1, planned.stepLength);
    return sceneStart + std::min(planned.duration, (moment.local / length + 1) * length);
}

SignPlayer::Position SignPlayer::positionAt(qint64 time)
{
    Position position;
    const Moment moment = momentAt(time);
    if (!moment.plan)
        return position;
    const Scene &scene = m_scenes[size_t(moment.scene)];
    const Planned &planned = moment.plan->scenes[size_t(moment.scene)];
    position.pass = moment.plan->pass;
    position.scene = moment.scene;
    position.offset = scene.offset;
    position.start = moment.passStart + planned.start;
    position.end = position.start + planned.duration;
    switch (scene.kind) {
    case Scene::Kind::Output:
    case Scene::Kind::Clear: {
        const MarkerKind kind = scene.kind == Scene::Kind::Output ? MarkerKind::Effect : MarkerKind::EffectClear;
        position.description = markerKindInfo(kind).label + u": "_s + entryText(kind, scene.effect);
        if (planned.effect != scene.effect)
            position.description += u" → "_s + entryText(kind, planned.effect);
        break;
    }
    case Scene::Kind::Hold:
        position.description = markerKindInfo(MarkerKind::Pause).label + u": "_s
                               + entryText(MarkerKind::Pause, scene.pause);
        break;
    }
    return position;
}
