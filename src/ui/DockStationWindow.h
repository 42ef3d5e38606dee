#pragma once

#include "app/DockStation.h"
#include "ui/AnimationClock.h"

#include <QObject>
#include <QRect>
#include <QRegion>
#include <QtQml/qqmlregistration.h>

#include <memory>

class QQuickView;
class ViewEngine;

// The waveform station: a capsule floating just above the bottom of the primary screen while a
// recording runs. It never takes focus and lets clicks through to what lies beneath. The window is
// built on the first show() and afterwards only shown and hidden; its clock ticks only while shown.
class DockStationWindow : public QObject, public DockStation
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the desktop shell")
    Q_PROPERTY(double level READ level NOTIFY levelChanged)
    Q_PROPERTY(bool active READ isActive NOTIFY activeChanged)
    Q_PROPERTY(AnimationClock *clock READ clock CONSTANT)
    Q_PROPERTY(bool seeThrough READ isSeeThrough NOTIFY seeThroughChanged)

public:
    static constexpr int kBottomMargin = 10;
    static constexpr int kFramesPerSecond = 30;
    // The capsule inside the window (4 points from the sides, 56 high, centred).
    static constexpr QRect kCapsule{4, 8, 352, 56};

    explicit DockStationWindow(ViewEngine &views, QObject *parent = nullptr);
    ~DockStationWindow() override;

    void show() override;
    void setLevel(float level) override;
    void hide() override;

    double level() const { return m_level; }
    // Animating (shown) or frozen.
    bool isActive() const { return m_active; }
    AnimationClock *clock() { return &m_clock; }
    // Whether what lies beneath shows through the clear parts (a compositor blends them).
    bool isSeeThrough() const { return m_seeThrough; }
    // Null until the first show().
    QQuickView *window() const { return m_window.get(); }

    // Centred horizontally, its bottom edge kBottomMargin above the bottom of `available`.
    static QRect placement(const QRect &available);
    // The capsule's shape, in window coordinates.
    static QRegion capsuleRegion();

signals:
    void levelChanged();
    void activeChanged();
    void seeThroughChanged();

private:
    void build();
    void setActive(bool active);

    ViewEngine &m_views;
    AnimationClock m_clock;
    std::unique_ptr<QQuickView> m_window;
    double m_level = 0;
    bool m_active = false;
    bool m_seeThrough = true;
};
