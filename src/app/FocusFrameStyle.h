#pragma once

// The style of the main window's command bar and marker panel: the
// application's style, with a focus frame that stands out on the window's
// colours. The stock frame of a tool button or a drop-down list is a thin
// line in a tint close to the panel's grey, easy to lose when the keyboard
// is the only way through the window; this one is two pixels of the
// highlight colour inside the control's edge.
//
// Ownership: a window creates one, owns it (as its QObject parent) and sets
// it on the controls it concerns; it follows the application's style.

#include <QProxyStyle>

class QWidget;

class FocusFrameStyle : public QProxyStyle {
    Q_OBJECT
public:
    explicit FocusFrameStyle(QObject *owner);

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget = nullptr) const override;

    // Sets this style on `widget`.
    void apply(QWidget *widget);

private:
    void drawFrame(const QStyleOption *option, QPainter *painter) const;
};
