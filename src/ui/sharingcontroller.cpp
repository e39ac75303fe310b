#include "ui/sharingcontroller.h"

#include "net/radiorigcontrol.h"
#include "net/rigctlserver.h"
#include "settings/inifile.h"
#include "ui/f706.h"
#include "ui/mainmenus.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionMenuItem>

#include <algorithm>
#include <cstdio>

namespace {

/** A label that takes no more width than it is given and elides its text to fit; text()
 *  stays whole. */
class ElidedLabel : public QLabel {
public:
    using QLabel::QLabel;

    /** True when the room changed. */
    bool setRoom(int room)
    {
        if (room == m_room)
            return false;
        m_room = room;
        updateGeometry();
        update();
        return true;
    }
    QSize sizeHint() const override { return capped(QLabel::sizeHint()); }
    QSize minimumSizeHint() const override { return capped(QLabel::minimumSizeHint()); }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        const QRect area = contentsRect();
        style()->drawItemText(&painter, area, int(alignment()), palette(), isEnabled(),
                              fontMetrics().elidedText(text(), Qt::ElideRight, area.width()),
                              foregroundRole());
    }

private:
    QSize capped(QSize size) const
    {
        size.setWidth(std::min(size.width(), m_room));
        return size;
    }

    int m_room = QWIDGETSIZE_MAX;
};

}  // namespace

SharingController::SharingController(F706* window, QObject* parent)
    : QObject(parent),
      m_window(window),
      m_rig(std::make_unique<RadioRigControl>(window->radioState(), window->radioCommands(),
                                              [window] { window->stopBookmarkScan(); })),
      m_server(new RigctlServer(m_rig.get(), this))
{
    QMenu* menu = window->menus()->comPortMenu();
    menu->addSeparator()->setObjectName(QStringLiteral("MshareSeparator"));
    m_action = menu->addAction(QString());
    m_action->setObjectName(QStringLiteral("Mshare"));
    m_action->setCheckable(true);
    connect(m_action, &QAction::triggered, this, &SharingController::onShareTriggered);

    m_indicator = new ElidedLabel(window->menuBar());
    m_indicator->setObjectName(QStringLiteral("ShareStatus"));
    m_indicator->setFocusPolicy(Qt::NoFocus);
    m_indicator->setContentsMargins(6, 0, 6, 0);
    window->menuBar()->setCornerWidget(m_indicator, Qt::TopRightCorner);
    m_indicator->show();  // the menu bar may be on screen already
    m_bar = window->menuBar();
    m_bar->installEventFilter(this);
    m_choice.port = RigctlServer::kDefaultPort;

    // Quitting: clients are closed while the port is still open, so none waits on it.
    connect(window, &F706::aboutToUnload, m_server, &RigctlServer::close);
    connect(m_server, &RigctlServer::listeningChanged, this, &SharingController::showState);
    connect(m_server, &RigctlServer::clientCountChanged, this, &SharingController::showState);
    connect(m_server, &RigctlServer::refusedCountChanged, this, &SharingController::showState);
    showState();
}

SharingController::~SharingController()
{
    disconnect(m_server, nullptr, this, nullptr);
    delete m_server;  // its clients go before the radio adapter they use
}

QString SharingController::start(const SharingArguments& arguments)
{
    const SharingChoice choice = readSharingChoice(m_window->settingsFile(), arguments);
    QString error = choice.error;
    if (error.isEmpty() && choice.port != 0)
        m_choice = choice;  // the item offers the configured port
    if (choice.on())
        share(choice, &error);
    if (!error.isEmpty()) {
        m_failure = error;
        showState();
    }
    return error;
}

void SharingController::share(const SharingChoice& choice, QString* error)
{
    m_failure.clear();
    m_choice = choice;  // kept when sharing stops: ticking the item again shares there
    m_server->setAllowList(choice.allowList);
    if (!m_server->listen(choice.address, choice.port, error))
        m_failure = *error;
    else if (!isLoopback(choice.address))
        std::fprintf(stderr,
                     "corvane: warning: sharing the radio on %s:%u, beyond this computer; the "
                     "rigctld protocol has no authentication (only the allow-list stands "
                     "between the network and the transmitter)\n",
                     qPrintable(choice.address.toString()), unsigned{choice.port});
    showState();
}

void SharingController::onShareTriggered(bool checked)
{
    const QString settings = m_window->settingsFile();
    const QString section = QString::fromLatin1(kNetworkSection);
    QString error;
    if (!checked) {
        m_server->close();
        m_failure.clear();
    } else {
        const SharingChoice again = m_choice;  // share() keeps what it is given
        share(again, &error);
    }
    if (error.isEmpty()) {
        const QString port = checked ? QString::number(m_choice.port) : QStringLiteral("0");
        AppError why;
        if (!WriteINI(settings, section, QString::fromLatin1(kRigctlPortKey), port, &why))
            error =
                QStringLiteral("The choice could not be stored in %1: %2").arg(settings, why.text);
    }
    showState();
    if (!error.isEmpty())
        showMessage(m_window, QMessageBox::Warning, QString(), error);
}

void SharingController::showState()
{
    if (m_server->isListening())
        m_choice.port = m_server->port();
    m_action->setText(QStringLiteral("Share on TCP port %1").arg(m_choice.port));
    m_action->setChecked(m_server->isListening());
    if (!m_server->isListening()) {
        setIndicator(
            m_failure.isEmpty() ? QString() : QStringLiteral("Not sharing: %1").arg(m_failure),
            QString());
        return;
    }
    const int clients = m_server->clientCount();
    const QString where =
        QStringLiteral("%1:%2").arg(m_server->address().toString()).arg(m_server->port());
    const bool open = !isLoopback(m_server->address());
    QString toolTip = QStringLiteral(
                          "Hamlib NET rigctl programs can control the radio through %1 "
                          "(no authentication)")
                          .arg(where);
    if (open)
        toolTip += QStringLiteral(
            "\nOpen to the network: other computers on the allow-list can "
            "retune the transmitter");
    if (const int refused = m_server->refusedCount(); refused > 0)
        toolTip +=
            QStringLiteral("\n%1 %2 refused (not on the allow-list)")
                .arg(refused)
                .arg(refused == 1 ? QStringLiteral("connection") : QStringLiteral("connections"));
    setIndicator(QStringLiteral("Sharing %1 · %2 %3%4")
                     .arg(where)
                     .arg(clients)
                     .arg(clients == 1 ? QStringLiteral("client") : QStringLiteral("clients"))
                     .arg(open ? QStringLiteral(" · open to the network") : QString()),
                 toolTip);
}

void SharingController::setIndicator(const QString& text, const QString& toolTip)
{
    const QString whole = toolTip.isEmpty() ? text : text + QStringLiteral("\n") + toolTip;
    if (m_indicator->text() == text) {
        m_indicator->setToolTip(whole);
        return;
    }
    m_indicator->setText(text);
    m_indicator->setToolTip(whole);
    m_indicator->setAccessibleName(QStringLiteral("Sharing"));
    m_indicator->setAccessibleDescription(text.isEmpty() ? QStringLiteral("Not sharing") : text);
    fitIndicator(true);
}

bool SharingController::eventFilter(QObject* watched, QEvent* event)
{
    if (m_bar && watched == m_bar &&
        (event->type() == QEvent::Resize || event->type() == QEvent::ActionAdded ||
         event->type() == QEvent::ActionChanged || event->type() == QEvent::ActionRemoved))
        fitIndicator();
    return QObject::eventFilter(watched, event);
}

void SharingController::fitIndicator(bool textChanged)
{
    // The menus keep their room; the indicator takes what is left, its text cut at the end.
    QMenuBar* bar = m_bar;
    if (!bar)
        return;
    const int room = std::max(bar->width() - menusWidth(bar), 0);
    if (!static_cast<ElidedLabel*>(m_indicator)->setRoom(room) && !textChanged)
        return;
    m_indicator->adjustSize();
    // Setting the corner widget again lays the menu bar out for the new width.
    bar->setCornerWidget(m_indicator, Qt::TopRightCorner);
}

int SharingController::menusWidth(const QMenuBar* bar)
{
    const QStyle* style = bar->style();
    const int spacing = style->pixelMetric(QStyle::PM_MenuBarItemSpacing, nullptr, bar);
    int width = 2 * (style->pixelMetric(QStyle::PM_MenuBarHMargin, nullptr, bar) +
                     style->pixelMetric(QStyle::PM_MenuBarPanelWidth, nullptr, bar));
    for (const QAction* action : bar->actions()) {
        if (!action->isVisible())
            continue;
        QStyleOptionMenuItem option;
        option.initFrom(bar);
        option.menuItemType = QStyleOptionMenuItem::Normal;
        option.text = action->text();
        const QSize text = bar->fontMetrics().size(Qt::TextShowMnemonic, action->text());
        width +=
            style->sizeFromContents(QStyle::CT_MenuBarItem, &option, text, bar).width() + spacing;
    }
    // A little more than the items take, so that none is ever pushed into the overflow.
    constexpr int kSlack = 12;
    return width + kSlack;
}
