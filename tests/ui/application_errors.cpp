// The application object: the standard error box (what a command lets escape
// is shown with a full stop, the executable's name as caption and the error
// icon, and the application goes on) and Qt's own texts in Russian.

#include "DialogScript.h"

#include "ui/ApplicationErrors.h"
#include "ui/QtTranslations.h"
#include "serial/ConnectError.h"

#include <QPushButton>
#include <QTest>

#include <stdexcept>

using namespace Qt::StringLiterals;

class ApplicationErrorsTest : public QObject {
    Q_OBJECT

private slots:
    void theTextGetsOneFullStop()
    {
        QCOMPARE(ApplicationErrors::boxText(u"Порт уже открыт"_s), u"Порт уже открыт."_s);
        QCOMPARE(ApplicationErrors::boxText(u"Done."_s), u"Done."_s);
        QCOMPARE(ApplicationErrors::boxText(QString()), u"."_s);
    }

    void anErrorEscapingACommandIsShownAndTheProgramGoesOn()
    {
        DialogScript script;
        QPushButton button;
        int runs = 0;
        connect(&button, &QPushButton::clicked, [&] {
            ++runs;
            throw EComError(2, u"No such file or directory"_s, u"CreateFile"_s);
        });
        button.show();
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::mouseClick(&button, Qt::LeftButton);

        QCOMPARE(runs, 2);
        QCOMPARE(script.messages.size(), 2);
        const Dialogs::MessageRequest &box = script.messages.constFirst();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.caption, u"ui_application_errors"_s);
        QCOMPARE(box.text, u"Error 2 No such file or directory in function: CreateFile."_s);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    void qtsOwnDialogsSpeakTheSystemLanguageAndRussianWithoutOne()
    {
        // The application object has installed the translation for the
        // system locale already; these add the ones asked for here.
        QCOMPARE(QtTranslations::install(*qApp, QLocale(QLocale::German, QLocale::Germany)), u"de_DE"_s);
        QCOMPARE(QtTranslations::install(*qApp, QLocale(QLocale::English, QLocale::UnitedStates)), u"ru_RU"_s);
        QCOMPARE(QtTranslations::install(*qApp, QLocale::c()), u"ru_RU"_s);
        // The last one installed answers first.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"Отмена"_s);
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), u"Перейти к:"_s);
    }

    void guardReportsWhetherTheCommandRanThrough()
    {
        DialogScript script;
        QVERIFY(ApplicationErrors::guard([] {}));
        QVERIFY(!ApplicationErrors::guard([] { throw std::runtime_error("File access denied"); }));
        QCOMPARE(script.messages.size(), 1);
        QCOMPARE(script.messages.constFirst().text, u"File access denied."_s);
    }
};

int main(int argc, char *argv[])
{
    OraveltApplication app(argc, argv);
    ApplicationErrorsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "application_errors.moc"
