#pragma once
// The registry of class records: a registration list (newest first) and, after
// RuntimeClass::buildIndex, a table sorted by name whose positions name classes
// on the wire.
#include <cstdint>
#include <vector>

class RuntimeClass;

class RuntimeClassManager {
public:
    // The program's registry, made on first use. Other instances serve tests.
    static RuntimeClassManager* getInstance();

    // Makes the record the new head of the registration list. A record that is
    // already registered is left where it is.
    void registerClass(RuntimeClass* record);
    int getNumClasses() const;
    // The newest registered record with the identifier; null when none has it.
    RuntimeClass* findById(uint32_t id) const;
    // Sorts every registered record by name into classArray and sets each
    // record's index; flags duplicate names in bBadClasses.
    void buildIndex();
    // The table entry at the index; null outside the table.
    RuntimeClass* getClassByIndex(int index) const;

    bool bBadClasses = false; // two records carry the same name
    std::vector<RuntimeClass*> classArray;
    RuntimeClass* firstClass = nullptr;
};
