#pragma once

#include "link/portoffers.h"
#include "settings/radiochoice.h"
#include "settings/startupsettings.h"
#include "ui/hamlibcheck.h"
#include "ui/radiocheck.h"

#include <QDialog>
#include <QList>
#include <QString>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class RadioChoiceFields;
class RadioLineFields;

/** What "Radio settings…" edits: the radio chosen, the native line and the POLL and
 *  STARTUP keys. */
struct RadioSettings {
    RadioChoice radio;  ///< section RADIO: which way the radio is reached
    RadioLineSettings line;
    QString poll;     ///< POLL: "auto", "off" or a number of seconds
    QString startup;  ///< STARTUP: "reset" or "keep"
};

/**
 * "Radio settings…": the radio and its line (RadioChoiceFields: the IC-706 family, another
 * radio through Hamlib, or a rigctld on another computer), polling (Poll, PollSeconds) and
 * what a start does to the radio (Startup). "Check" (CheckRadio) asks, never blocking,
 * whether the radio chosen answers: for the IC-706 family at the address and rate chosen,
 * and at the family's other addresses when it does not (RadioCheck); for the others with a
 * frequency read through Hamlib (HamlibCheck). CheckResult says what came of it, and an
 * address found elsewhere is filled in. OK hands the settings to the apply function, which stores
 * them; when it fails the dialog stays open with the reason. Cancel changes nothing.
 *
 * Before a check opens a serial port, checkStarting() lets whoever holds the radio's port
 * let go of it; checkEnded() follows when the check is over or abandoned.
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
    void onHamlibChecked(const HamlibCheck::Outcome& outcome);
    /** Why the settings cannot be used yet, empty when they can. */
    QString incomplete(const RadioSettings& chosen) const;
    void apply();
    void endCheck();
    void setChecking(bool checking);
    void showResult(const QString& text, bool bad);

    Apply m_apply;
    RadioChoiceFields* m_choice = nullptr;
    RadioLineFields* m_fields = nullptr;  ///< the IC-706 family's, in m_choice
    QComboBox* m_poll = nullptr;
    QSpinBox* m_pollSeconds = nullptr;
    QComboBox* m_startup = nullptr;
    QPushButton* m_checkButton = nullptr;
    QPushButton* m_ok = nullptr;
    QLabel* m_result = nullptr;
    RadioCheck* m_check = nullptr;
    HamlibCheck* m_hamlibCheck = nullptr;
    bool m_checking = false;  ///< between checkStarting() and checkEnded()
};
