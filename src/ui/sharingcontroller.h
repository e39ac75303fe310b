#pragma once

#include "net/sharingsettings.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class F706;
class QAction;
class QLabel;
class QMenuBar;
class RadioRigControl;
class RigctlServer;

/**
 * Sharing the radio with other programs, as the window shows and controls it: the rigctld
 * server over the window's radio model, the checkable item "Share on TCP port 4532" at
 * the end of the "Com Port" menu (Mshare; it names the configured port, or the one last
 * shared on, and ticking it again shares there), and a small indicator at the right of the
 * menu bar (ShareStatus): "Sharing 127.0.0.1:4532 · 2 clients", or why sharing is off after a
 * failure. Clients coming and going only change that text: no focus change, no box. The
 * indicator never takes the menus' room: a longer text is elided, whole in its tooltip.
 *
 * A set from a client first stops a running bookmark scan, as STOP does (the scan would
 * otherwise overwrite it with its next recall).
 *
 * Beyond loopback (an allow-list is then required) the indicator says "open to the
 * network" and a warning goes to standard error; connections refused for not being on the
 * allow-list are counted in the indicator's tooltip.
 */
class SharingController : public QObject {
    Q_OBJECT
public:
    explicit SharingController(F706* window, QObject* parent = nullptr);
    ~SharingController() override;

    /** Start-up: shares as the command line or section NETWORK of the settings file say.
     *  Returns the failure's message (also shown by the indicator), empty when sharing
     *  started or is off. */
    QString start(const SharingArguments& arguments);

    RigctlServer* server() const { return m_server; }
    QAction* shareAction() const { return m_action; }
    QLabel* indicator() const { return m_indicator; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onShareTriggered(bool checked);
    void share(const SharingChoice& choice, QString* error);
    void showState();
    /** The indicator's whole text; its tooltip holds it and the explanation, if any. */
    void setIndicator(const QString& text, const QString& toolTip);
    /** Gives the indicator the room the menus leave (its text elided when longer) and lays
     *  the menu bar out again when that room or the text changed. */
    void fitIndicator(bool textChanged = false);
    /** The width the menu bar's menus take, with margins and a little slack. */
    static int menusWidth(const QMenuBar* bar);

    F706* m_window;
    std::unique_ptr<RadioRigControl> m_rig;
    RigctlServer* m_server;
    QAction* m_action;
    QLabel* m_indicator;
    QString m_failure;
    QPointer<QMenuBar> m_bar;
    /** Where the item shares: the configured choice, or the one last shared on. */
    SharingChoice m_choice;
};
