#include "tools/element_path.h"

#include <climits>
#include <cstring>

#include "tools/tool_support.h"

namespace orvelxml {

namespace {

// A name as the seek operations compare it: no byte that ends a name for them
// or that the path syntax uses.
bool IsPathName(const std::string& name) {
  return !name.empty() && name.find_first_of("/[]@= \t\r\n\"'<>&") == std::string::npos;
}

bool ParseStep(const std::string& text, PathStep* step, std::string* error) {
  std::string name = text;
  const std::size_t bracket = text.find('[');
  if (bracket != std::string::npos) {
    name = text.substr(0, bracket);
    const std::string number = text.substr(bracket + 1);
    long long n = 0;
    std::size_t digits = 0;
    while (digits < number.size() && number[digits] >= '0' && number[digits] <= '9' && n <= INT_MAX)
      n = n * 10 + (number[digits++] - '0');
    if (digits == 0 || number.compare(digits, std::string::npos, "]") != 0 || n < 1 || n > INT_MAX) {
      *error = "'" + text + "': [n] takes a number from 1";
      return false;
    }
    step->index = static_cast<int>(n);
  }
  if (name == "*") return true;
  if (!IsPathName(name)) {
    *error = "'" + text + "' is not an element name";
    return false;
  }
  step->name = name;
  return true;
}

}  // namespace

bool ParseElementPath(const std::string& text, ElementPath* path, std::string* error) {
  *path = ElementPath();
  std::size_t at = text.compare(0, 1, "/") == 0 ? 1 : 0;
  for (;;) {
    const std::size_t slash = text.find('/', at);
    const std::string part = text.substr(at, slash == std::string::npos ? std::string::npos : slash - at);
    if (!part.empty() && part[0] == '@') {
      if (slash != std::string::npos || path->steps.empty() || !IsPathName(part.substr(1))) {
        *error = "'" + part + "': an attribute comes last, after an element, as @name";
        return false;
      }
      path->attribute = part.substr(1);
      return true;
    }
    PathStep step;
    if (!ParseStep(part, &step, error)) return false;
    path->steps.push_back(step);
    if (slash == std::string::npos) return true;
    at = slash + 1;
  }
}

long VisitPathMatches(orvel::IXmlComponent* xml, const ElementPath& path,
                      const std::function<bool()>& visit) {
  xml->RewindDocument();
  const std::size_t last = path.steps.size() - 1;
  // Per step, the elements of its name met so far under the current parent.
  std::vector<int> seen(path.steps.size(), 0);
  long visits = 0;
  std::size_t level = 0;  // the step whose candidates are the main position's siblings
  for (;;) {
    const PathStep& step = path.steps[level];
    const bool picked = step.index != 0 && seen[level] >= step.index;
    if (picked || xml->SeekSiblingElement(step.name.empty() ? nullptr : step.name.c_str()) == 0) {
      if (level == 0) return visits;
      xml->LeaveElement();  // back to the element whose children these were
      --level;
      continue;
    }
    ++seen[level];
    if (step.index != 0 && seen[level] != step.index) continue;
    if (level == last) {
      ++visits;
      if (!visit()) return visits;
      continue;
    }
    xml->EnterElement();  // its children become the candidates of the next step
    seen[++level] = 0;
  }
}

bool HasAttribute(orvel::IXmlComponent* xml, const std::string& name) {
  for (int i = 0;; ++i) {
    const std::string found = FetchText([&](char* b, int n) { return xml->ReadAttributeName(i, b, n); });
    if (found.empty()) return false;
    if (found == name) return true;
  }
}

}  // namespace orvelxml
