#include "widgets/BalloonHint.h"

#include "widgets/ApplicationWindows.h"

#include "widgets/DisplayText.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <algorithm>

namespace {
constexpr int kTail = 12;
constexpr int kPad = 8;
constexpr int kIcon = 16;
constexpr int kMaxTextWidth = 400;
} // namespace

BalloonHint::BalloonHint() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setObjectName(QStringLiteral("BalloonHint"));
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &QWidget::hide);
}

BalloonHint& BalloonHint::instance() {
    static QPointer<BalloonHint> balloon;
    if (!balloon) {
        balloon = new BalloonHint();
        KeepUntilApplicationEnds(balloon);
    }
    return *balloon;
}

void BalloonHint::showBalloon(const QString& title, const QString& text, int kind,
                              QWidget* control) {
    instance().present(title, text, kind, control);
}

QPoint BalloonHint::anchorFor(int kind, QWidget* control) {
    if (!control || !control->isVisible())
        return QCursor::pos();
    const QRect r(control->mapToGlobal(QPoint(0, 0)), control->size());
    switch (kind) {
    case 1:
        return r.topLeft();
    case 2:
        if (auto* view = qobject_cast<QAbstractItemView*>(control)) {
            // At a grid: the bottom-left corner of the current cell.
            const QModelIndex current = view->currentIndex();
            const QRect cell = view->visualRect(current);
            if (current.isValid() && !cell.isEmpty())
                return view->viewport()->mapToGlobal(cell.bottomLeft());
        }
        return r.bottomLeft();
    case 3:
        return r.center();
    case 4:
        return QPoint(r.center().x(), r.top());
    default:
        return QCursor::pos();
    }
}

void BalloonHint::present(const QString& title, const QString& text, int kind, QWidget* control) {
    m_title = title;
    m_text = DisplayLines(text);
    m_kind = kind;
    m_control = control;
    m_anchor = anchorFor(kind, control);

    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics fmBold(bold);
    const QFontMetrics fm(font());
    // The text is laid out once; the balloon is sized from that layout and draws the text in
    // exactly that width, so a line that fits is never wrapped again.
    const QSize textSize =
        fm.boundingRect(QRect(0, 0, kMaxTextWidth, 100000), Qt::TextWordWrap, m_text).size();
    const int titleHeight = std::max(fmBold.height(), kIcon);
    const int titleWidth = fmBold.horizontalAdvance(m_title) + kIcon + 6;
    const int contentWidth = std::max(titleWidth, textSize.width());
    m_titleHeight = titleHeight;
    m_textRect = QRect(kPad, kPad + titleHeight + 4, textSize.width(), textSize.height());
    // The body's outline takes one pixel on the right and at the bottom.
    const int width = std::max(contentWidth + 2 * kPad + 1, 60);
    const int bodyHeight = m_textRect.bottom() + 1 + kPad + 1;
    const QSize size(width, bodyHeight + kTail);

    // Below the point with the tail up, unless that leaves the screen.
    const QScreen* screen = QGuiApplication::screenAt(m_anchor);
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 15, 1 << 15);
    m_tailDown = m_anchor.y() + size.height() > area.bottom();
    int x = m_anchor.x() - kTail * 2;
    x = std::clamp(x, area.left(), std::max(area.left(), area.right() - size.width()));
    const int y = m_tailDown ? m_anchor.y() - size.height() : m_anchor.y();
    m_tailX = std::clamp(m_anchor.x() - x, kTail, size.width() - kTail);
    setGeometry(QRect(QPoint(x, y), size));
    show();
    raise();
    update();
    m_timer.start(durationFor(kind));
}

void BalloonHint::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect body =
        m_tailDown ? rect().adjusted(0, 0, -1, -kTail - 1) : rect().adjusted(0, kTail, -1, -1);
    QPainterPath path;
    path.addRoundedRect(body, 6, 6);
    QPolygonF tail;
    if (m_tailDown)
        tail << QPointF(m_tailX - kTail / 2.0, body.bottom()) << QPointF(m_tailX, height() - 1)
             << QPointF(m_tailX + kTail / 2.0, body.bottom());
    else
        tail << QPointF(m_tailX - kTail / 2.0, body.top()) << QPointF(m_tailX, 0)
             << QPointF(m_tailX + kTail / 2.0, body.top());
    QPainterPath tailPath;
    tailPath.addPolygon(tail);
    path = path.united(tailPath);
    p.setPen(QColor(0x76, 0x76, 0x76));
    p.setBrush(QColor(0xFF, 0xFF, 0xE1));
    p.drawPath(path);

    const QIcon icon = style()->standardIcon(isWarning(m_kind) ? QStyle::SP_MessageBoxWarning
                                                               : QStyle::SP_MessageBoxInformation);
    const int top = body.top() + kPad;
    icon.paint(&p, QRect(body.left() + kPad, top, kIcon, kIcon));
    QFont bold = font();
    bold.setBold(true);
    p.setPen(Qt::black);
    p.setFont(bold);
    p.drawText(QRect(body.left() + kPad + kIcon + 6, top, body.width(), m_titleHeight),
               Qt::AlignVCenter | Qt::AlignLeft, m_title);
    p.setFont(font());
    p.drawText(m_textRect.translated(body.topLeft()),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_text);
}

QRect BalloonHint::textRect() const {
    const QRect body =
        m_tailDown ? rect().adjusted(0, 0, -1, -kTail - 1) : rect().adjusted(0, kTail, -1, -1);
    return m_textRect.translated(body.topLeft());
}

void BalloonHint::mousePressEvent(QMouseEvent*) {
    hide();
}
