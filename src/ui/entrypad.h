#pragma once

#include <QGroupBox>
#include <QString>

class QLabel;
class QPushButton;

/**
 * "FREQUENCY SETTINGS": the entry pad. Nine digit labels NewFreq 0..8 (0 = 100 MHz digit,
 * 8 = 1 Hz digit), ten keys Tasto 0..9, SEND (Csend) and ADD MEM (CaddMain).
 *
 * The entry is the pad's value: the digits keyed so far, drawn in the labels and never
 * read back from them. PosCifra is the index of the digit written last (kNoDigit for an
 * empty entry); 8 means the entry is complete, so the next key starts a new one. SEND is
 * enabled only for a complete entry above 50 000 Hz that the radio in use receives
 * (50 001 .. 199 999 999 Hz, and 400 .. 470 MHz for an IC-706MKIIG). The pad never touches
 * ADD MEM.
 *
 * From the keyboard, the entry may also be typed the way operators write frequencies: a
 * point or comma makes it MHz ("14.074"), and Return reads a shorter entry by the same rule
 * as kHz (up to six digits, "14074") or Hz (more). The label beside key 0 (TypedFreq) shows
 * how Return will read it before it is pressed; the nine digits show the value read.
 */
class EntryPad : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kDigitCount = 9;
    static constexpr int kKeyCount = 10;
    static constexpr int kLastDigit = kDigitCount - 1;
    /** PosCifra of an empty entry: the next key writes digit 0. */
    static constexpr int kNoDigit = -1;
    /** Refusal written to the status line, carriage return and line feed included. */
    static inline const QString kWrongFrequency = QStringLiteral("WRONG FREQUENCY\r\n");

    explicit EntryPad(QWidget* parent = nullptr);

    /** One key press of digit k (0..9). */
    void Tasto_Click(int k);

    int posCifra() const { return static_cast<int>(m_entry.size()) - 1; }

    /** The keyed digits, 100 MHz digit first: nine for a complete entry, fewer while it
     *  is partial. */
    QString digits() const { return m_entry; }

    /** A digit typed on the keyboard: the pad's key, or the next digit of a typed entry
     *  that holds a decimal point. */
    void typeDigit(int digit);
    /** A decimal point or comma typed on the keyboard: the entry becomes a typed one, read
     *  in MHz (a complete entry gives way to a new one). */
    void typeDecimalPoint();
    /** Return: a complete entry of nine digits is sent as SEND sends it; a shorter entry,
     *  or a typed one, is first read by the typed-frequency rule (frequencytext::readTyped)
     *  into the nine digits, which then pass the pad's range check before they are sent. */
    void pressReturn();
    /** An entry Return would read by the typed-frequency rule is in progress. */
    bool hasTypedEntry() const;
    /** Backspace: clears the character typed last (nothing for an empty entry). */
    void eraseLastDigit();
    /** Esc: clears the whole entry. */
    void clearEntry();
    /** A digit key or SEND: the controls on which Return means SEND. */
    bool isSendKey(const QWidget* widget) const;

    QLabel* digitLabel(int index) const;
    /** Presses key Tasto(digit) from the keyboard: it takes the focus, as a click would. */
    void pressKey(int digit);
    /** SEND is enabled: the entry is complete and in range. */
    bool sendEnabled() const;
    /** Presses SEND when it is enabled. */
    void pressSend();
    /** ADD MEM (CaddMain) is offered only while the database can take a new memory. */
    void setAddMemoryEnabled(bool enabled);
    /** Puts the focus on SEND, so Return sends the entry. */
    void focusSend();

signals:
    /** SEND (Csend): send the entry, digits(), to the radio. */
    void sendRequested();
    /** ADD MEM (CaddMain): store the keyed entry, digits() (refused when partial). */
    void addMemoryRequested(const QString& digits);
    /** The pad refused a complete entry; text goes to the status line. */
    void statusText(const QString& text);

private:
    void buildDigits();
    void buildKeys();
    void checkEntry();
    void showEntry();
    /** The reading beside key 0: what Return would send, and in which unit it reads it. */
    void showReading();

    QWidget* m_backing;  ///< Shape1: the nine digits as one value for a screen reader
    QLabel* m_digits[kDigitCount];
    QPushButton* m_keys[kKeyCount];
    QPushButton* m_send;
    QPushButton* m_addMain;
    QLabel* m_reading;
    QString m_entry;
    /** A typed entry with a decimal point, as typed ("14.07"); empty otherwise. Its digits
     *  after the point are not the pad's: the nine labels show the value it reads as. */
    QString m_typed;
};
