#pragma once

#include "link/portoffers.h"
#include "settings/radiochoice.h"

#include <QList>
#include <QString>
#include <QWidget>

class HamlibLineFields;
class QButtonGroup;
class QLineEdit;
class QSpinBox;
class QStackedWidget;
class RadioLineFields;

/**
 * How the program reaches the radio, as the first-start dialog and "Radio settings…" offer
 * it: three choices (RadioNative, RadioHamlib, RadioRemote), each showing its own fields
 * beneath them:
 *   IC-706 family on a serial port           RadioLineFields (port, radio, address, rate)
 *   Another radio on a serial port (Hamlib)  HamlibLineFields (model, device, rate)
 *   A radio on another computer (rigctld)    RemoteHost and RemotePort (4532 unless set)
 */
class RadioChoiceFields : public QWidget {
    Q_OBJECT
public:
    /** rigctld's own port, offered until another is set. */
    static constexpr int kDefaultRemotePort = 4532;

    RadioChoiceFields(const QList<PortOffer>& ports, QWidget* parent = nullptr);

    RadioBackendKind backend() const;
    /** The choice with the fields of its backend (a native choice carries only that). */
    RadioChoice choice() const;
    /** Chooses choice's backend and fills the fields of Hamlib and remote from it. */
    void setChoice(const RadioChoice& choice);
    /** Why the chosen fields cannot be used yet ("Choose a radio from the list."), empty
     *  when they can. The native choice's device is the dialogs' own business. */
    QString incomplete() const;

    RadioLineFields* lineFields() const { return m_native; }
    HamlibLineFields* hamlibFields() const { return m_hamlib; }

signals:
    /** The operator chose another backend or changed one of its fields. */
    void edited();
    void backendChanged(RadioBackendKind backend);

private:
    QWidget* buildRemote();

    QButtonGroup* m_choices = nullptr;
    QStackedWidget* m_pages = nullptr;
    RadioLineFields* m_native = nullptr;
    HamlibLineFields* m_hamlib = nullptr;
    QLineEdit* m_host = nullptr;
    QSpinBox* m_port = nullptr;
};
