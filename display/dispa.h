#ifndef DISPA_H
#define DISPA_H

#include <QFrame>
#include <QPainter>

#include "display/chcoord.h"
#include "display/mousec.h"

// Base of every drawing surface: turns paint, mouse and wheel events into
// signals after updating its coordinate mapping and mouse record.
class DispA : public QFrame
{
    Q_OBJECT

public:
    explicit DispA(QWidget *parent = nullptr);

    bool zoomEnabled;
    bool panEnabled;
    ChCoord coord;
    MouseC mouse;
    double wheelSteps;   // notches of the last wheel event
    double zoomFactor;   // 1.1 or 1/1.1, from the last wheel event

signals:
    void drawImage1(QPainter *painter);
    void drawImage2(QPainter *painter);
    void mouseMoved0();
    void mousePressed0();
    void mouseReleased0();
    void mouseDoubleClicked0();
    void wheelMoved0();

public slots:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

    void setScreenMousePos(int x, int y);
    // Real coordinates through coord as left by the last paint.
    virtual void setRealMousePos(double x, double y);
};

#endif
