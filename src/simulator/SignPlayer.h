#pragma once

// Plays a compiled program on a simulated sign: the frames of its 8-row LED
// matrix over time, for a sign of 8 to 1024 columns.
//
// The program plays as the sign plays it, again and again from its start.
// Each pass begins with speed 10, the font "Высокий 6x8" and colour code 0,
// the settings of a new program. An effect record shows its content (text in
// the sign's fonts, pictures column for column, the date or time of the
// clock given to render()) with its output effect, then holds it for the
// pauses inside it; a clear record takes the sign dark with its clear effect;
// a pause command holds what is shown. A speed command or element sets the
// step rate of the effects that follow, a speed inside a record also that
// record's own. The effects themselves are SignEffects'.
//
// Time is in milliseconds from the start of the first pass; a frame depends
// only on the time and the clock, so any frame can be drawn in any order.
//
// Threads: one player serves one thread (it keeps scratch buffers).

#include "CompiledProgram.h"
#include "LedFrame.h"
#include "SignEffects.h"
#include "SignFont.h"

#include <QDateTime>
#include <QString>

#include <vector>

class SignPlayer {
public:
    static constexpr int DefaultWidth = 96;
    static constexpr int MinWidth = 8;
    static constexpr int MaxWidth = 1024;
    // How many column steps one step of an effect that moves rows lasts.
    static constexpr int RowStepFactor = 4;

    SignPlayer(const CompiledProgram &program, const SignFonts &fonts, int width = DefaultWidth);

    int width() const { return m_width; }
    // Clamped to MinWidth..MaxWidth.
    void setWidth(int width);

    // The length of the pass `pass`, 0 for a program that shows nothing.
    // Passes differ only where an entry "Случайный" draws another effect.
    qint64 passDuration(int pass = 0);

    void render(qint64 time, const QDateTime &clock, LedFrame &out);
    LedFrame frameAt(qint64 time, const QDateTime &clock)
    {
        LedFrame frame;
        render(time, clock, frame);
        return frame;
    }

    // The time of the next step after `time`: the next motion of an effect,
    // or the end of a hold. For stepping through the program by hand.
    qint64 nextStep(qint64 time);

    struct Position {
        int pass = 0;
        int scene = -1;           // -1 when the program shows nothing
        qsizetype offset = -1;    // of the program element in the file
        QString description;      // "Режим вывода: Сдвигом влево"
        qint64 start = 0;         // of the scene, in the player's time
        qint64 end = 0;
    };
    Position positionAt(qint64 time);

    // A pause number's hold and a speed number's column step, in milliseconds.
    static qint64 pauseMilliseconds(quint8 pause);
    static qint64 stepMilliseconds(quint8 speed);
    // The text of a date/time element for an info number.
    static QString dateTimeText(quint8 info, const QDateTime &clock);

private:
    struct Piece {
        QByteArray columns;     // text and pictures, ready
        bool dateTime = false;  // otherwise set from the clock when drawn
        quint8 info = 0;
        quint8 font = 1;
        quint8 colour = 0;
    };
    struct Record {
        std::vector<Piece> pieces;
        QByteArray strip;     // the content, when it has no date or time
        int width = 0;
        bool dynamic = false;
    };
    struct Scene {
        enum class Kind : quint8 { Output, Clear, Hold } kind = Kind::Hold;
        int effect = 0;
        int record = -1;      // Output: the content
        int shown = -1;       // Clear, Hold: the output scene on the sign, -1 for a dark sign
        quint8 speed = 9;
        quint8 pause = 0;
        qint64 hold = 0;
        qsizetype offset = 0;
    };
    struct Planned {
        int effect = 0;  // a random entry drawn
        SignEffects::Steps steps;
        qint64 stepLength = 0;
        qint64 start = 0;
        qint64 duration = 0;
    };
    struct Plan {
        int pass = -1;
        std::vector<Planned> scenes;
        qint64 duration = 0;
    };
    struct Moment {
        const Plan *plan = nullptr;
        int scene = -1;
        qint64 local = 0;  // time since the scene started
        qint64 passStart = 0;
    };

    void build(const CompiledProgram &program);
    int addRecord(const ProgramElement &element, quint8 &font, quint8 &colour, quint8 &speed,
                  std::vector<const ContentElement *> &pauses);
    int pieceWidth(const Piece &piece) const;
    void makePlan(int pass, Plan &plan) const;
    const Plan &planOf(int pass);
    Moment momentAt(qint64 time);
    QByteArrayView strip(int record, const QDateTime &clock);
    void restFrame(int outputScene, const Plan &plan, const QDateTime &clock, LedFrame &out);
    SignEffects::Span shownSpan(int outputScene, const Plan &plan) const;
    static quint64 seed(int pass, int scene);

    SignFonts m_fonts;
    int m_width = DefaultWidth;
    std::vector<Record> m_records;
    std::vector<Scene> m_scenes;
    bool m_random = false;  // some entry "Случайный": passes differ

    Plan m_plan;                      // of the pass last drawn
    std::vector<qint64> m_passStarts;  // of the passes planned so far (with random entries)
    QByteArray m_dynamic;             // a content with a date or time, as last drawn
    int m_dynamicRecord = -1;
    QString m_dynamicKey;
    LedFrame m_display;
};
