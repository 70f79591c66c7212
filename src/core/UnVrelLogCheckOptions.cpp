// The log checker on "Options": the view in which the installer worked.
#include <set>
#include <string>

#include "core/UnVrelLogCheckView.h"
#include "core/epStrUtils.h"
#include "core/epTextCase.h"
#include "core/epView.h"

namespace logcheck {

namespace {

void CheckView(const TSectionView& section, const TEntry& entry, const std::string& value,
               TFindings& findings) {
    if (ViewByName(value)) return;
    findings.Add(entry.Line, TSeverity::Warning, "view-value", section.Name,
                 "View " + Quoted(value) + " is neither 32 nor 64: the uninstaller takes the "
                 "32-bit view, as for a log without it");
}

}  // namespace

void CheckOptions(const TLogView& log, TFindings& findings) {
    const TSectionView* section = log.Find("Options");
    if (section == nullptr) return;
    std::set<std::string, TLessTextI> seen;
    for (const TEntry& entry : section->Entries) {
        const std::string key = KeyOf(entry.Text);
        if (!seen.insert(key).second) {
            findings.Add(entry.Line, TSeverity::Warning, "duplicate-key", section->Name,
                         "key " + Quoted(key) + " is given again; only its first line counts");
        } else if (SameTextI(key, "View")) {
            CheckView(*section, entry, ValueOf(entry.Text), findings);
        } else {
            findings.Add(entry.Line, TSeverity::Warning, "options-key", section->Name,
                         "the uninstaller reads View here, not " + Quoted(key));
        }
    }
}

}  // namespace logcheck
