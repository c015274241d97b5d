// A message composed from markup is the message the editor makes: markers
// inserted from the marker panel are the same bytes in the file as composed
// ones, and the colour command leaves the style table a composed message has.

#include "Typing.h"

#include "app/TForm1.h"
#include "app/richview/TRichViewEdit.h"
#include "document/streams/ClassRegistry.h"
#include "document/streams/MarkerStream.h"
#include "document/markup/MarkupReader.h"
#include "document/sourcefile/SourceFileWriter.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QTest>
#include <QTextCursor>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

SourceDocument composed(const QString &markup)
{
    MarkupError error;
    const std::optional<ComposedMessage> message = readMarkup(markup.toUtf8(), QDir::currentPath(), &error);
    if (!message)
        qWarning() << error.at.line << error.at.column << error.message;
    return message ? message->document : SourceDocument();
}

} // namespace

class MarkupEditorTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ClassRegistry::registerStandardClasses(); }

    void init()
    {
        m_form = std::make_unique<TForm1>();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }

    void cleanup()
    {
        m_form->rve->setDocumentModified(false);
        m_form.reset();
    }

    void markersFromThePanelAreTheComposedMarkers()
    {
        for (MarkerKind kind : allMarkerKinds())
            m_form->insertAction(kind)->trigger();
        // An entry picked in a toolbar box, then inserted from the menu.
        m_form->findChild<QComboBox *>(u"EffectClearCB"_s)->setCurrentIndex(23);
        m_form->insertAction(MarkerKind::EffectClear)->trigger();
        m_form->findChild<QComboBox *>(u"SpeedCB"_s)->setCurrentIndex(0);
        m_form->insertAction(MarkerKind::Speed)->trigger();

        const SourceDocument editor = m_form->rve->snapshot();
        const SourceDocument markup = composed(
            u"{effect: Слева}{clear: Сдвигом влево}{pause: 1 сек.}{speed: 10}{font: Высокий 6x8}"
            "{info: Время в формате чч:мм}{clear: *Негатив}{speed: 1}"_s);
        QCOMPARE(editor.itemCount(), 8);
        QCOMPARE(markup.itemCount(), 8);
        for (int i = 0; i < editor.itemCount(); ++i) {
            QVERIFY2(editor.item(i).control && markup.item(i).control, qPrintable(QString::number(i)));
            QCOMPARE(EncodeMarkerControl(*editor.item(i).control), EncodeMarkerControl(*markup.item(i).control));
        }
        QCOMPARE(writeSourceBytes(editor), writeSourceBytes(markup));
    }

    void theColourCommandMakesTheComposedStyleTable()
    {
        typeText(m_form->rve, u"Цена 89 руб."_s);
        QTextCursor cursor = m_form->rve->textCursor();
        cursor.setPosition(5);
        cursor.setPosition(7, QTextCursor::KeepAnchor);
        m_form->rve->setTextCursor(cursor);
        QTest::mouseClick(m_form->btnBlackOnRed, Qt::LeftButton);

        const SourceDocument editor = m_form->rve->snapshot();
        const SourceDocument markup = composed(u"Цена {inverse}89{/inverse} руб."_s);
        QCOMPARE(editor.styles, markup.styles);
        QCOMPARE(editor.styles.TextStyles.size(), size_t(3));
        QCOMPARE(writeSourceBytes(editor), writeSourceBytes(markup));
    }

private:
    std::unique_ptr<TForm1> m_form;
};

QTEST_MAIN(MarkupEditorTest)
#include "markup_editor.moc"
