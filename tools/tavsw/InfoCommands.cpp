#include "InfoCommands.h"

#include <algorithm>
#include <cctype>

namespace tavsw {

std::vector<std::string> ClosestNames(const std::string& typed,
                                      const std::vector<std::string>& known, bool exactCase) {
  auto lower = [exactCase](std::string s) {
    if (!exactCase)
      for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  const std::string t = lower(typed);
  std::vector<std::pair<size_t, std::string>> close;
  std::vector<std::string> prefixed;
  for (const std::string& k : known) {
    if (k.empty() || lower(k) == t) continue;
    bool seen = false;
    for (const auto& c : close) seen = seen || c.second == k;
    if (seen) continue;
    const size_t d = EditDistance(typed, k, !exactCase);
    if (d <= 2 && 2 * d < std::max(k.size(), typed.size())) close.emplace_back(d, k);
    else if (t.size() >= 3 && lower(k).starts_with(t) &&
             std::find(prefixed.begin(), prefixed.end(), k) == prefixed.end())
      prefixed.push_back(k);
  }
  std::stable_sort(close.begin(), close.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  // Only the closest: a name one edit away hides those two away.
  std::vector<std::string> out;
  for (const auto& c : close)
    if (out.size() < 3 && c.first == close.front().first) out.push_back(c.second);
  if (out.empty() && prefixed.size() == 1) out = prefixed;
  return out;
}

std::string DidYouMean(const std::vector<std::string>& names) {
  if (names.empty()) return "";
  std::string text = "did you mean ";
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " or " : ", ";
    text += "'" + names[i] + "'";
  }
  return text + "?";
}

void NoteClosest(Context& ctx, const std::string& typed, const std::vector<std::string>& known,
                 bool exactCase) {
  const std::string note = DidYouMean(ClosestNames(typed, known, exactCase));
  if (!note.empty()) ctx.diag.Note(note);
}

std::vector<std::unique_ptr<Command>> MakeInfoCommands() {
  std::vector<std::unique_ptr<Command>> commands;
  commands.push_back(MakeExplainCommand());
  commands.push_back(MakeShowCommand());
  commands.push_back(MakeCompletionCommand());
  return commands;
}

}  // namespace tavsw
