#pragma once

#include <QListView>

class ThumbnailDelegate;

// The thumbnail grid: one cell per row of the page, as many columns as fit.
// A press in a cell's tick square flips its tick; keys and double clicks do
// nothing here.
class PictureGridView : public QListView
{
    Q_OBJECT
public:
    explicit PictureGridView(QWidget *parent = nullptr);
    void setCellDelegate(ThumbnailDelegate *delegate);
    // The tick square of the cell of this row, in viewport coordinates.
    QRect checkSquareOf(int row) const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    ThumbnailDelegate *m_delegate = nullptr;
};
