// What a power cut would leave of the files a test's program writes. While a PowerCut lives, the
// program's calls that create, write, flush and move files in one folder go to Windows as usual and are
// also played on a model of the disk behind Windows' cache: bytes written reach the disk when their file
// is flushed; a name moved with write-through is on the disk when the call returns, one moved without
// it (or a file made) may or may not be. The steps that write a file anew can be made to fail instead,
// as on a full disk.
#ifndef PRODLE_TESTS_SUPPORT_POWER_CUT_H
#define PRODLE_TESTS_SUPPORT_POWER_CUT_H

#include <functional>
#include <memory>
#include <set>
#include <string>

class PowerCut {
public:
    explicit PowerCut(const std::wstring& folder);
    ~PowerCut();
    PowerCut(const PowerCut&) = delete;
    PowerCut& operator=(const PowerCut&) = delete;

    // A file there before: its bytes, on the disk (`flushed`) or still in the cache.
    void Existing(const std::wstring& name, const std::string& bytes, bool flushed);
    // Each content a cut now could leave under the name (a missing file as an empty one).
    std::set<std::string> Leaves(const std::wstring& name) const;

    // Called after each step (a call on a file of the folder that succeeded).
    void AfterEachStep(std::function<void()> check);
    // The steps that write a file anew (a file opened to write other than at its end, each write and
    // flush of it, a move): the `n`th from now (0: the next) fails, a write after half its bytes.
    void FailStep(int n);
    // Such steps seen so far.
    int StepsThatWriteAnew() const;

    struct Disk;

private:
    std::unique_ptr<Disk> m_disk;
};

#endif
