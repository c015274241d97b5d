#include "FindDialog.h"

#include "ui/Caption.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

FindDialog::FindDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(u"Найти"_s + Caption::suffix());
    auto *label = new QLabel(u"&Образец:"_s, this);
    m_text = new QLineEdit(this);
    label->setBuddy(m_text);
    m_wholeWord = new QCheckBox(u"Только слово &целиком"_s, this);
    m_matchCase = new QCheckBox(u"С учетом &регистра"_s, this);
    auto *direction = new QGroupBox(u"Направление"_s, this);
    m_up = new QRadioButton(u"&Вверх"_s, direction);
    m_down = new QRadioButton(u"В&низ"_s, direction);
    m_down->setChecked(true);
    auto *directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(m_up);
    directionLayout->addWidget(m_down);

    auto *findNext = new QPushButton(u"&Найти далее"_s, this);
    findNext->setDefault(true);
    findNext->setEnabled(false);
    auto *cancel = new QPushButton(u"Отмена"_s, this);
    connect(m_text, &QLineEdit::textChanged, findNext, [findNext](const QString &t) { findNext->setEnabled(!t.isEmpty()); });
    connect(findNext, &QPushButton::clicked, this, &FindDialog::find);
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);

    auto *grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_text, 0, 1, 1, 2);
    grid->addWidget(m_wholeWord, 1, 0, 1, 2);
    grid->addWidget(m_matchCase, 2, 0, 1, 2);
    grid->addWidget(direction, 1, 2, 2, 1);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(findNext);
    buttons->addWidget(cancel);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 3, 3, 1);
}

QString FindDialog::findText() const
{
    return m_text->text();
}

void FindDialog::setFindText(const QString &text)
{
    m_text->setText(text);
}

bool FindDialog::down() const
{
    return m_down->isChecked();
}

bool FindDialog::matchCase() const
{
    return m_matchCase->isChecked();
}

bool FindDialog::wholeWord() const
{
    return m_wholeWord->isChecked();
}

QTextDocument::FindFlags FindDialog::flags() const
{
    QTextDocument::FindFlags f;
    if (!down())
        f |= QTextDocument::FindBackward;
    if (matchCase())
        f |= QTextDocument::FindCaseSensitively;
    if (wholeWord())
        f |= QTextDocument::FindWholeWords;
    return f;
}
