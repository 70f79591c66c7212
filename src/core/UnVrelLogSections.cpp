// Looking up the log's sections by name.
#include "core/UnVrelLogSections.h"

#include "core/epTextCase.h"

const TLogSectionInfo* FindLogSection(std::string_view name) {
    for (const TLogSectionInfo& info : kLogSections) {
        if (SameTextI(info.Name, name)) return &info;
    }
    return nullptr;
}
