#include "RuntimeClassManager.h"

#include "RuntimeClass.h"

#include <cstring>
#include <utility>

RuntimeClassManager* RuntimeClassManager::getInstance() {
    static RuntimeClassManager instance;
    return &instance;
}

void RuntimeClassManager::registerClass(RuntimeClass* record) {
    // Linking a record twice would turn the list into a loop.
    for (RuntimeClass* c = firstClass; c; c = c->next)
        if (c == record)
            return;
    record->next = firstClass;
    firstClass = record;
}

int RuntimeClassManager::getNumClasses() const {
    int count = 0;
    for (RuntimeClass* c = firstClass; c; c = c->next)
        ++count;
    return count;
}

RuntimeClass* RuntimeClassManager::getClassByIndex(int index) const {
    if (index < 0 || index >= static_cast<int>(classArray.size()))
        return nullptr;
    return classArray[index];
}

RuntimeClass* RuntimeClassManager::findById(uint32_t id) const {
    for (RuntimeClass* c = firstClass; c; c = c->next)
        if (c->id == id)
            return c;
    return nullptr;
}

namespace {

// Bytewise over the shorter name; on a tie the shorter name is smaller.
int compareNames(const UString& a, const UString& b) {
    size_t n = a.length() < b.length() ? a.length() : b.length();
    int c = memcmp(a.c_str(), b.c_str(), n);
    if (c != 0)
        return c;
    if (a.length() == b.length())
        return 0;
    return a.length() < b.length() ? -1 : 1;
}

} // namespace

void RuntimeClassManager::buildIndex() {
    // Rebuilt from scratch, so a second call cannot list records twice.
    classArray.clear();
    for (RuntimeClass* c = firstClass; c; c = c->next)
        classArray.push_back(c);

    // Selection sort: every pair of equal names meets in some comparison.
    for (size_t i = 0; i + 1 < classArray.size(); ++i) {
        size_t smallest = i;
        for (size_t j = i + 1; j < classArray.size(); ++j) {
            int c = compareNames(classArray[j]->name, classArray[smallest]->name);
            if (c == 0)
                bBadClasses = true;
            else if (c < 0)
                smallest = j;
        }
        std::swap(classArray[i], classArray[smallest]);
    }
    for (size_t i = 0; i < classArray.size(); ++i)
        classArray[i]->index = static_cast<int32_t>(i);
}
