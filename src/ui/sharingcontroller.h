#pragma once

#include "net/sharingsettings.h"

#include <QObject>
#include <QString>

#include <memory>

class F706;
class QAction;
class QLabel;
class RadioRigControl;
class RigctlServer;

/**
 * Sharing the radio with other programs, as the window shows and controls it: the rigctld
 * server over the window's radio model, the checkable item "Share on TCP port 4532" at
 * the end of the "Com Port" menu (Mshare), and a small indicator at the right of the menu
 * bar (ShareStatus): "Sharing 127.0.0.1:4532 · 2 clients", or why sharing is off after a
 * failure. Clients coming and going only change that text: no focus change, no box.
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

private:
    void onShareTriggered(bool checked);
    void share(const SharingChoice& choice, QString* error);
    void showState();
    void setIndicator(const QString& text, const QString& toolTip);

    F706* m_window;
    std::unique_ptr<RadioRigControl> m_rig;
    RigctlServer* m_server;
    QAction* m_action;
    QLabel* m_indicator;
    QString m_failure;
};
