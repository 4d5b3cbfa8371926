#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

/**
 * The one balloon hint of the program: a title, one line of text and a tail that
 * points at a control. Showing a new balloon replaces the old one; it hides itself
 * after a while (kind 0 sooner) or on a click.
 */
class BalloonHint final : public QWidget {
    Q_OBJECT
public:
    /** The program's balloon (created on first use). */
    static BalloonHint& instance();
    /** Shows a balloon; kind 0..4 decides icon, place and duration. */
    static void showBalloon(const QString& title, const QString& text, int kind,
                            QWidget* control = nullptr);

    /** Where the tail points for a kind and control, in global coordinates. */
    static QPoint anchorFor(int kind, QWidget* control);
    /** A warning (kinds 2 and 3) rather than an information balloon. */
    static bool isWarning(int kind) { return kind == 2 || kind == 3; }
    /** How long a balloon of the kind stays, in milliseconds. */
    static int durationFor(int kind) { return kind == 0 ? 3000 : 7000; }

    QString title() const { return m_title; }
    QString text() const { return m_text; }
    int kind() const { return m_kind; }
    QPoint anchor() const { return m_anchor; }
    QWidget* control() const { return m_control; }
    /** Where the text is drawn, in the balloon's coordinates: the size its layout needs. */
    QRect textRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    BalloonHint();
    void present(const QString& title, const QString& text, int kind, QWidget* control);

    QString m_title;
    QString m_text;
    int m_kind = 0;
    QPoint m_anchor;
    bool m_tailDown = false;
    int m_tailX = 0;
    int m_titleHeight = 0;
    QRect m_textRect; ///< relative to the body's top-left corner
    QPointer<QWidget> m_control;
    QTimer m_timer;
};
