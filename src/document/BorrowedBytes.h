#pragma once

// Classes that keep a QByteArrayView of bytes they do not own refuse, at
// compile time, an argument whose bytes die at the end of the declaration:
//
//     template <TemporaryByteOwner Owner>
//     explicit Reader(Owner &&) = delete;
//
// A temporary QByteArray (the result of a concatenation, of fromHex, of
// mid) converts silently to a view, and the view then points at freed
// memory from the next statement on. With the deleted overload such a call
// picks it and does not compile; named buffers, views and plain pointers
// pass on to the QByteArrayView constructor as before.

#include <QByteArrayView>

#include <ranges>
#include <type_traits>

// A type that only points at bytes held elsewhere: a temporary of it is
// harmless, its bytes outlive it.
template <typename T>
concept BorrowsBytes = std::is_same_v<T, QByteArrayView> || std::is_pointer_v<T> || std::ranges::borrowed_range<T>;

// An rvalue (temporary or moved-from) of a type that owns the bytes a view
// of it would show: QByteArray, std::string, std::vector<char>,
// std::array<char, N>.
template <typename T>
concept TemporaryByteOwner = !std::is_lvalue_reference_v<T> && std::is_constructible_v<QByteArrayView, T>
    && !BorrowsBytes<std::remove_cvref_t<T>>;
