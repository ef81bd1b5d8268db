#pragma once
// Named sets (`enum class`) whose members carry the numbers a file or a widget knows them by:
// the member with a given number, if there is one. Only the edge that reads the number
// converts; everything behind it works with the member.

#include <array>
#include <cstddef>
#include <optional>

namespace dilato {

template <class Member, std::size_t N>
[[nodiscard]] constexpr std::optional<Member> MemberNumbered(const std::array<Member, N>& members,
                                                             int number) {
    for (const Member member : members)
        if (static_cast<int>(member) == number) return member;
    return std::nullopt;
}

} // namespace dilato
