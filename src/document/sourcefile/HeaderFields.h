#pragma once

// The fields of a record header line: decimal numbers, quoted strings (with
// doubled quotes inside) and plain tokens, separated by spaces. The line
// stays the caller's and must outlive the fields; a temporary buffer is
// refused at compile time.

#include "document/model/BorrowedView.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

class HeaderFields {
public:
    explicit HeaderFields(QByteArrayView line) : m_line(line) {}
    template <TemporaryOwner<QByteArrayView> Owner>
    explicit HeaderFields(Owner &&) = delete;

    // Whether anything but spaces is left.
    bool atEnd();
    // The next field starts with a double quote.
    bool atQuote();

    // A decimal number with an optional minus sign that fits 32 bits;
    // nothing when the field is missing or not such a number (the field is
    // consumed either way).
    std::optional<int> number();
    // A quoted string; nothing when it is not closed.
    std::optional<QByteArray> quoted();
    // The bytes up to the next space.
    QByteArrayView token();
    // One space, when one stands here.
    void skipOneSpace();
    // Everything after the current position.
    QByteArrayView rest() const { return m_line.sliced(m_pos); }

private:
    void skipSpaces();

    QByteArrayView m_line;
    qsizetype m_pos = 0;
};
