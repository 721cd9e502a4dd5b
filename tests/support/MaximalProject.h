#pragma once

#include <string>
#include <vector>

namespace velk::test {

// The largest project the form makes: every slot holds a full action list (an infrared, an IO
// and a relay action where the event takes them, a data action with six blanks, a key action),
// time and append settings on, ten values per enumeration, every variable and target set. As the
// statements that make it, and written into a new file in one transaction.
std::vector<std::string> maximalProjectScript();
bool writeMaximalProject(const std::string& path);

}  // namespace velk::test
