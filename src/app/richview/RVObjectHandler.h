#pragma once

// Lays out and paints the embedded items of the editor's document: pictures
// at their display size, markers as drop-down boxes showing their entry, and
// items of other kinds as small placeholders that keep their place.

#include <QObject>
#include <QTextObjectInterface>

class TRichViewEdit;

class RVObjectHandler : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    explicit RVObjectHandler(TRichViewEdit *editor);

    QSizeF intrinsicSize(QTextDocument *doc, int posInDocument, const QTextFormat &format) override;
    void drawObject(QPainter *painter, const QRectF &rect, QTextDocument *doc, int posInDocument,
                    const QTextFormat &format) override;

    // Markers are as high as the drop-down box of the toolbar.
    static constexpr int MarkerHeight = 21;
    // Shown for a picture without decoded pixels (a class kept only as bytes).
    static constexpr int PlaceholderSize = 32;

private:
    TRichViewEdit *m_editor;
};
