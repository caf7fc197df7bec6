#pragma once

#include <QTreeView>

// The detail list: one row per picture of the page, seven columns. "S"
// flips the selected row's tick; a double click asks to open the picture.
class PictureDetailView : public QTreeView
{
    Q_OBJECT
public:
    explicit PictureDetailView(QWidget *parent = nullptr);

Q_SIGNALS:
    void openRequested(int row);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};
