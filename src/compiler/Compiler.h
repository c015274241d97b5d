#pragma once

// The check: one pass over the source document that compiles it into the byte
// program the sign receives and its listing, stopping at the first error of
// the document. The compiler works in memory; CheckFiles puts the result into
// "cmpres8.dat" and "cmpres.bak".
//
// A window drives it through Hooks: afterItem runs after every item that was
// handled without error (the check window sets its progress bar and lets the
// user interface handle pending input there), and the abort flag, read after
// each afterItem, stops the walk after the item in hand (Esc).

#include "ProgramWriter.h"

#include "calibration/SensorCalibration.h"
#include "document/model/SourceDocument.h"

#include <QString>

#include <atomic>
#include <functional>
#include <optional>

// Where the editor shows the place of an error.
enum class ErrorPlace : quint8 {
    CaretBeforeItem,  // caret just before the item, nothing selected
    ItemSelected,     // the whole item selected
};

struct CheckError {
    int item = -1;       // 0-based item number in the document
    QString message;     // the message pane's line, "[Ошибка] ..."
    ErrorPlace place = ErrorPlace::ItemSelected;
};

struct CheckResult {
    QByteArray program;  // cmpres8.dat
    QByteArray listing;  // cmpres.bak
    std::optional<CheckError> error;
    bool aborted = false;   // stopped by the operator (no message)
    int itemsDone = 0;      // items handled before the walk ended
    // The calibration values as written, and the texts the two fields take.
    quint8 pressure = 0;
    quint8 humidity = 0;
    QString pressureText;
    QString humidityText;

    bool succeeded() const { return !error && !aborted; }
};

class Compiler {
public:
    struct Hooks {
        std::function<void(int itemsDone, int itemCount)> afterItem;
        const std::atomic<bool> *abort = nullptr;
        // When set, the calibration values are taken from it once the walk
        // has ended, instead of the texts given to compile.
        std::function<SensorCalibration()> calibration;
    };

    static CheckResult compile(const SourceDocument &document, const QString &pressureText,
                               const QString &humidityText, const Hooks &hooks);
    static CheckResult compile(const SourceDocument &document, const QString &pressureText = QStringLiteral("0"),
                               const QString &humidityText = QStringLiteral("0"))
    {
        return compile(document, pressureText, humidityText, Hooks{});
    }
};
