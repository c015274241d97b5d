#include "FocusFrameStyle.h"

#include <QPainter>
#include <QStyleOption>
#include <QWidget>

FocusFrameStyle::FocusFrameStyle(QObject *owner)
{
    setParent(owner);
}

void FocusFrameStyle::apply(QWidget *widget)
{
    widget->setStyle(this);
}

void FocusFrameStyle::drawFrame(const QStyleOption *option, QPainter *painter) const
{
    if (!(option->state & State_HasFocus))
        return;
    painter->save();
    QPen pen(option->palette.color(QPalette::Active, QPalette::Highlight), 2);
    pen.setJoinStyle(Qt::MiterJoin);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->setRenderHint(QPainter::Antialiasing, false);
    // A 2-pixel pen is centred on the rectangle's edge: one pixel in from
    // the control's border on each side, both pixels inside it.
    painter->drawRect(QRectF(option->rect).adjusted(1, 1, -1, -1));
    painter->restore();
}

void FocusFrameStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                                         QPainter *painter, const QWidget *widget) const
{
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    if (control == CC_ToolButton || control == CC_ComboBox)
        drawFrame(option, painter);
}
