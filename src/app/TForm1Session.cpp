// The main window as the tool windows' editor session: what the check window
// and the graphic editor may do with the document.

#include "TForm1.h"

#include "richview/TRichViewEdit.h"

#include "document/model/SourceItem.h"

#include <QImage>

SourceDocument TForm1::snapshot(const std::function<void()> &yield) const
{
    return rve->snapshot(yield);
}

void TForm1::markItem(int item, Mark mark)
{
    const int before = rve->offsetBeforeItem(item);
    const int after = mark == Mark::CaretBeforeItem ? before : rve->offsetAfterItem(item);
    rve->selectItems(item, before, item, after);
    rve->setFocus();
}

void TForm1::activateEditor()
{
    raise();
    activateWindow();
}

PicturePtr TForm1::pictureAtCaret() const
{
    if (rve->currentItemStyle() != ItemStyle::Picture)
        return nullptr;
    PicturePtr picture = rve->itemPicture(rve->currentItemNo());
    return picture && picture->isBitmap() ? picture : nullptr;
}

bool TForm1::insertPicture(const QImage &image, int displayWidth, int displayHeight)
{
    if (rve->isReadOnly())
        return false;
    rve->insertPicture(Picture::bitmap(image.copy()), displayWidth, displayHeight);
    return true;
}
