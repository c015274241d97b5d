#pragma once

// Classes that keep a view (QByteArrayView, QStringView) of data they do not
// own refuse, at compile time, an argument whose data dies at the end of the
// statement:
//
//     explicit Reader(QByteArrayView bytes);
//     template <TemporaryOwner<QByteArrayView> Owner>
//     explicit Reader(Owner &&) = delete;
//
// A temporary QByteArray or QString (the result of a concatenation, of
// fromHex, of mid) converts silently to a view, and the view then points at
// freed memory from the next statement on. With the deleted overload such a
// call picks it and does not compile; named buffers, views and plain
// pointers pass on to the view's overload as before.

#include <ranges>
#include <type_traits>

// A type that only points at data held elsewhere: a temporary of it is
// harmless, the data outlives it.
template <typename T, typename View>
concept BorrowsFor = std::is_same_v<T, View> || std::is_pointer_v<T> || std::ranges::borrowed_range<T>;

// An rvalue (a temporary or a moved-from value) of a type that owns the data
// a View of it would show: QByteArray, QString, std::string,
// std::vector<char>, std::array<char, N>.
template <typename T, typename View>
concept TemporaryOwner = !std::is_lvalue_reference_v<T> && std::is_constructible_v<View, T>
    && !BorrowsFor<std::remove_cvref_t<T>, View>;
