#pragma once
// The folder an archive is extracted into, filled so that a failed extract
// leaves nothing new behind. A target that does not exist yet is made whole as
// a temporary folder beside it and renamed into place at the end. Into a
// target that exists, the files are staged in a temporary folder inside it
// (on its file system, so that moving them never copies), every place they
// go to is checked, and then each is moved in; should a move still fail, the
// error names the files already moved. The files are synced all at once, as
// they go into place, not one by one.
#include <string>
#include <vector>

class StagedFolder {
public:
    explicit StagedFolder(const std::string& target);
    // Removes what is still staged, and the folders made for a target that
    // was never placed.
    ~StagedFolder();

    // Each of these returns false with one line in problem.
    // Makes the target's missing parent folders and the temporary folder.
    bool create(std::string& problem);
    // Stages the file name, a relative path that stays below the target.
    bool write(const std::string& name, const void* bytes, int count, std::string& problem);
    // Moves every staged file into the target.
    bool place(std::string& problem);

private:
    // The steps of create.
    bool checkTarget(std::string& problem);
    bool makeParents(std::string& problem);
    bool makeStaging(std::string& problem);
    // Why name cannot go into the existing target: a link on its way (never
    // followed), a file where a folder must go, or what replaceTarget says
    // of the file it replaces; empty when it can.
    std::string obstacle(const std::string& name) const;
    // Makes the missing folders of name below folder (those made go to made
    // when given); errors show the target's path.
    bool makeFolders(const std::string& folder, const std::string& name,
                     std::vector<std::string>* made, std::string& problem) const;
    bool moveIn(std::string& problem);
    // Syncs the file system that folder is on.
    bool sync(const std::string& folder, std::string& problem) const;
    std::string shown(const std::string& name) const { return target + "/" + name; }

    std::string target;
    std::string staging;
    bool existed = false;
    bool placed = false;
    std::vector<std::string> names;         // staged, in order
    std::vector<std::string> madeParents;   // made for a new target, outermost first
};
