#pragma once

#include "link/portoffers.h"
#include "settings/startupsettings.h"
#include "ui/radiocheck.h"

#include <QDialog>
#include <QList>
#include <QString>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class RadioLineFields;

/** What "Radio settings…" edits: the line and the POLL and STARTUP keys. */
struct RadioSettings {
    RadioLineSettings line;
    QString poll;     ///< POLL: "auto", "off" or a number of seconds
    QString startup;  ///< STARTUP: "reset" or "keep"
};

/**
 * "Radio settings…": the radio's line (RadioLineFields), polling (Poll, PollSeconds) and
 * what a start does to the radio (Startup). "Check" (CheckRadio) asks whether a radio
 * answers at the address and rate chosen, and at the family's other addresses when it does
 * not (RadioCheck, never blocking); CheckResult says what came of it, and an address found
 * elsewhere is filled in. OK hands the settings to the apply function, which stores them;
 * when it fails the dialog stays open with the reason. Cancel changes nothing.
 *
 * Before a check opens a port, checkStarting() lets whoever holds the radio's port let go
 * of it; checkEnded() follows when the check is over or abandoned.
 */
class RadioSettingsDialog : public QDialog {
    Q_OBJECT
public:
    using Apply = std::function<bool(const RadioSettings&, QString* error)>;

    RadioSettingsDialog(const QList<PortOffer>& ports, const RadioSettings& current, Apply apply,
                        QWidget* parent = nullptr);

    RadioSettings settings() const;

signals:
    void checkStarting();
    void checkEnded();

protected:
    void done(int result) override;

private:
    QWidget* buildPollRows(const RadioSettings& current);
    void check();
    void onChecked(const RadioCheck::Outcome& outcome);
    void apply();
    void endCheck();
    void setChecking(bool checking);
    void showResult(const QString& text, bool bad);

    Apply m_apply;
    RadioLineFields* m_fields = nullptr;
    QComboBox* m_poll = nullptr;
    QSpinBox* m_pollSeconds = nullptr;
    QComboBox* m_startup = nullptr;
    QPushButton* m_checkButton = nullptr;
    QPushButton* m_ok = nullptr;
    QLabel* m_result = nullptr;
    RadioCheck* m_check = nullptr;
    bool m_checking = false;  ///< between checkStarting() and checkEnded()
};
