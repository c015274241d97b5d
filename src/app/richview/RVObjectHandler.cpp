#include "RVObjectHandler.h"
#include "ui/WindowFont.h"

#include "TRichViewEdit.h"
#include "richtext/RVFormats.h"

#include <QApplication>
#include <QComboBox>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionComboBox>

using namespace Qt::StringLiterals;

RVObjectHandler::RVObjectHandler(TRichViewEdit *editor) : QObject(editor), m_editor(editor) {}

namespace {
QSize pictureSize(const SourceItem &item)
{
    QSize natural = item.picture && !item.picture->image().isNull() ? item.picture->image().size()
                                                                     : QSize(RVObjectHandler::PlaceholderSize,
                                                                             RVObjectHandler::PlaceholderSize);
    const int w = item.extras.width > 0 ? item.extras.width : natural.width();
    const int h = item.extras.height > 0 ? item.extras.height : natural.height();
    return QSize(w, h);
}
} // namespace

QSizeF RVObjectHandler::intrinsicSize(QTextDocument *, int, const QTextFormat &format)
{
    const SourceItem *object = m_editor->m_content.object(format.intProperty(RVFormat::ObjectId));
    if (!object)
        return QSizeF(0, 0);
    const SourceItem &item = *object;
    switch (format.objectType()) {
    case RVFormat::PictureObject:
        return pictureSize(item);
    case RVFormat::MarkerObject: {
        const int width = item.control && item.control->Width > 0 ? item.control->Width : 100;
        return QSizeF(width, MarkerHeight);
    }
    default:
        return QSizeF(16, 16);
    }
}

void RVObjectHandler::drawObject(QPainter *painter, const QRectF &rect, QTextDocument *, int,
                                 const QTextFormat &format)
{
    const SourceItem *object = m_editor->m_content.object(format.intProperty(RVFormat::ObjectId));
    if (!object)
        return;
    const SourceItem &item = *object;
    const QRect r = rect.toRect();
    painter->save();
    switch (format.objectType()) {
    case RVFormat::PictureObject:
        if (item.picture && !item.picture->image().isNull()) {
            // Pixels stay crisp squares when the picture is shown enlarged.
            painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
            painter->drawImage(r, item.picture->image());
        } else {
            painter->setPen(QColor(Qt::gray));
            painter->drawRect(r.adjusted(0, 0, -1, -1));
            painter->drawLine(r.topLeft(), r.bottomRight());
            painter->drawLine(r.topRight(), r.bottomLeft());
        }
        break;
    case RVFormat::MarkerObject: {
        const EmbeddedControl *control = item.control.get();
        QStyleOptionComboBox option;
        option.initFrom(m_editor);
        option.palette = QApplication::palette("QComboBox");
        option.rect = r;
        option.state = QStyle::State_Enabled | QStyle::State_Active;
        option.editable = false;
        option.frame = true;
        if (control && control->ItemIndex >= 0 && control->ItemIndex < control->Items.size())
            option.currentText = control->Items.at(control->ItemIndex);
        const QFont font = windowFont();
        painter->setFont(font);
        option.fontMetrics = QFontMetrics(font);
        QStyle *style = m_editor->style();
        style->drawComplexControl(QStyle::CC_ComboBox, &option, painter, m_editor);
        // Some styles (Windows') draw the label with the painter's pen, which
        // is still the editor's white text colour here.
        painter->setPen(option.palette.color(QPalette::ButtonText));
        style->drawControl(QStyle::CE_ComboBoxLabel, &option, painter, m_editor);
        break;
    }
    default:
        painter->setPen(QColor(Qt::gray));
        painter->drawRect(r.adjusted(1, 1, -2, -2));
        break;
    }
    painter->restore();
}
