#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

/**
 * What the radio in use can do through the way the program reaches it. The window turns off
 * each control the radio cannot serve and says why in its tooltip; a command sent anyway is
 * refused with the same words, never dropped unsaid. The IC-706 family on its own CI-V line
 * can do everything: every reason is empty and all seven modes are there.
 */
struct RadioAbilities {
    /** Why a control cannot be served ("The FT-817 cannot switch split through Hamlib");
     *  empty when it can. */
    QString noSplit;
    QString noVfoB;
    QString noRadioScan;
    QString noTuningStep;
    /** The modes the radio takes (0 LSB .. 6 WFM), and why the others are off. */
    QList<quint8> modeCodes{0, 1, 2, 3, 4, 5, 6};
    QString noOtherModes;

    bool hasMode(quint8 code) const { return modeCodes.contains(code); }
    bool operator==(const RadioAbilities&) const = default;
};
