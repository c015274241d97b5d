#pragma once

// The find dialog: stays open beside the main window; each "Найти далее"
// asks its owner to find the next occurrence with the options set here.

#include <QDialog>
#include <QTextDocument>

class QCheckBox;
class QLineEdit;
class QRadioButton;

class FindDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindDialog(QWidget *parent = nullptr);

    QString findText() const;
    void setFindText(const QString &text);
    bool down() const;
    bool matchCase() const;
    bool wholeWord() const;
    QTextDocument::FindFlags flags() const;

    QLineEdit *textEdit() const { return m_text; }

signals:
    void find();

private:
    QLineEdit *m_text;
    QCheckBox *m_wholeWord;
    QCheckBox *m_matchCase;
    QRadioButton *m_up;
    QRadioButton *m_down;
};
