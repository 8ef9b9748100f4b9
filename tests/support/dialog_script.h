// Drives a modal dialog while it runs: a thread timer fires inside the dialog's own message loop,
// finds the dialog by its caption and carries out a script of steps, one step per tick, so that the
// dialog handles each step's messages (and real mouse input) before the next step runs.
#ifndef PRODLE_TESTS_SUPPORT_DIALOG_SCRIPT_H
#define PRODLE_TESTS_SUPPORT_DIALOG_SCRIPT_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class DialogScript {
public:
    // A step gets the dialog; it returns false to be called again at the next tick.
    using Step = std::function<bool(HWND dialog)>;

    explicit DialogScript(std::string caption);
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    DialogScript& Then(Step step);
    // A step that runs before the dialog is up (it gets a null dialog), for opening it as a user
    // would; these run first, in the order given.
    DialogScript& Before(Step step);
    // Looks at the dialog without changing it.
    DialogScript& Inspect(std::function<void(HWND dialog)> look);
    // Presses a button as the user would (BM_CLICK: the button's own press and release).
    DialogScript& Click(int id);
    DialogScript& SelectListEntry(int listId, int index);
    DialogScript& SetCheck(int id, bool checked);
    // A real drag with the mouse: press on entry `from`, move down or up in steps, release on entry
    // `onto` (the entry before which the dragged one goes), all through SendInput.
    DialogScript& Drag(int listId, int from, int onto);
    // The same drag, with `whileHeld` run (until it returns true) before the button is released.
    DialogScript& Drag(int listId, int from, int onto, Step whileHeld);

    // Starts the timer; the script runs once the dialog is up.
    void Arm();
    // True when every step has run.
    bool Finished() const { return m_next == m_steps.size(); }
    // Text of what went wrong (dialog never found, a step gave up), empty when nothing did.
    const std::string& Failure() const { return m_failure; }

private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD);
    void Tick();
    HWND FindDialog() const;

    std::string m_caption;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    size_t m_stepsWithoutDialog = 0;
    UINT_PTR m_timer = 0;
    int m_ticks = 0;
    bool m_inTick = false;
    std::string m_failure;
};

// Mouse input as the user makes it: moves the real cursor to a screen point, presses or releases the
// left button there.
void MoveMouseTo(POINT screenPoint);
void PressLeftButton(bool down);
// The centre of a list entry, in screen coordinates.
POINT ListEntryCentre(HWND list, int index);

#endif
