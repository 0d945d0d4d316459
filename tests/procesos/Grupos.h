// What the writer child (escritor_grupos.cpp) writes, shared with the tests
// that check a database holds exactly the groups that landed.
#pragma once

#include <cstdio>
#include <string>

namespace pelmora::grupos {

constexpr int kRows = 30;  // rows a group adds
inline const std::string kNew = "nuevo";
inline const std::string kMarked = "marcado";
inline const std::string kMerged = "fusion";

// The text of row i of group g: long enough that a few groups fill pages, and
// starting "gNNN-" so that a group's rows can be told apart.
inline std::string key(int g, int i) {
    char head[32];
    std::snprintf(head, sizeof head, "g%03d-%02d-", g, i);
    return head + std::string(150, char('a' + (g * 7 + i) % 26));
}

inline std::string number(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%06d", n);
    return text;
}

inline std::string tableOf(int g) {
    return "Tabla" + std::to_string(g);
}

}  // namespace pelmora::grupos
