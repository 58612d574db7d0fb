#include "Diff.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace tavsw {
namespace {

std::vector<std::string_view> Lines(const std::string& text) {
  std::vector<std::string_view> lines;
  std::string_view rest(text);
  while (!rest.empty()) {
    size_t nl = rest.find('\n');
    lines.push_back(rest.substr(0, nl));
    rest.remove_prefix(nl == std::string_view::npos ? rest.size() : nl + 1);
  }
  return lines;
}

struct Edit {
  char op;  // ' ', '-' or '+'
  std::string_view line;
};

// The edit script: common head and tail kept, the middle by a longest common
// subsequence when its table stays small.
std::vector<Edit> Script(const std::vector<std::string_view>& a,
                         const std::vector<std::string_view>& b) {
  size_t head = 0;
  while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
  size_t tail = 0;
  while (tail < a.size() - head && tail < b.size() - head &&
         a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
    ++tail;
  std::vector<Edit> script;
  for (size_t i = 0; i < head; ++i) script.push_back({' ', a[i]});
  const size_t n = a.size() - head - tail, m = b.size() - head - tail;
  if (n * m <= 4000000) {
    // lcs[i][j]: length of the common subsequence of a[i..] and b[j..].
    std::vector<std::vector<unsigned>> lcs(n + 1, std::vector<unsigned>(m + 1, 0));
    for (size_t i = n; i-- > 0;)
      for (size_t j = m; j-- > 0;)
        lcs[i][j] = a[head + i] == b[head + j] ? lcs[i + 1][j + 1] + 1
                                               : std::max(lcs[i + 1][j], lcs[i][j + 1]);
    size_t i = 0, j = 0;
    while (i < n || j < m) {
      if (i < n && j < m && a[head + i] == b[head + j]) {
        script.push_back({' ', a[head + i]});
        ++i, ++j;
      } else if (i < n && (j == m || lcs[i + 1][j] >= lcs[i][j + 1])) {
        script.push_back({'-', a[head + i++]});
      } else {
        script.push_back({'+', b[head + j++]});
      }
    }
  } else {
    for (size_t i = 0; i < n; ++i) script.push_back({'-', a[head + i]});
    for (size_t j = 0; j < m; ++j) script.push_back({'+', b[head + j]});
  }
  for (size_t i = a.size() - tail; i < a.size(); ++i) script.push_back({' ', a[i]});
  return script;
}

}  // namespace

std::string UnifiedDiff(const std::string& before, const std::string& after,
                        const std::string& fromName, const std::string& toName) {
  if (before == after) return "";
  const std::vector<Edit> script = Script(Lines(before), Lines(after));
  const size_t kContext = 3;
  std::string out = "--- " + fromName + "\n+++ " + toName + "\n";
  size_t k = 0;
  while (k < script.size()) {
    if (script[k].op == ' ') {
      ++k;
      continue;
    }
    // A hunk runs from the context before this change to the context after
    // the last change that lies within twice the context of the one before.
    size_t start = k >= kContext ? k - kContext : 0;
    size_t end = k;
    for (size_t gap = 0; end < script.size(); ++end) {
      gap = script[end].op == ' ' ? gap + 1 : 0;
      if (gap > 2 * kContext) break;
    }
    size_t last = end;
    while (last > k && script[last - 1].op == ' ') --last;
    end = std::min(script.size(), last + kContext);
    // Line numbers of the hunk's first line in each text (1-based).
    size_t oldLine = 1, newLine = 1, oldCount = 0, newCount = 0;
    for (size_t i = 0; i < start; ++i) {
      if (script[i].op != '+') ++oldLine;
      if (script[i].op != '-') ++newLine;
    }
    std::string body;
    for (size_t i = start; i < end; ++i) {
      if (script[i].op != '+') ++oldCount;
      if (script[i].op != '-') ++newCount;
      body += script[i].op;
      body += script[i].line;
      body += '\n';
    }
    // An empty side is numbered by the line before it, as patch expects.
    if (oldCount == 0) --oldLine;
    if (newCount == 0) --newLine;
    out += "@@ -" + std::to_string(oldLine) + "," + std::to_string(oldCount) + " +" +
           std::to_string(newLine) + "," + std::to_string(newCount) + " @@\n" + body;
    k = end;
  }
  return out;
}

}  // namespace tavsw
