#pragma once
// The application object: its hidden top-level window (the taskbar button), the main form, the
// message loop and the top-level error handler.
#include "Component.h"
#include "UniqueHandle_win.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

class TForm;

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    // The title set, or else the program's file name without its extension.
    std::string Title() const;
    void SetTitle(std::string title);
    // The hidden application window, created on first use.
    HWND Handle();
    TForm* MainForm() const { return FMainForm; }
    // Whether Run shows the main form when the loop starts.
    bool ShowMainForm = true;

    // Prepares the user-interface thread (the common controls, the application window). The
    // component object model that speech needs is the program main's own (TScopedCom).
    void Initialize();
    // Creates a form owned by the application; the first one becomes the main form.
    template <class T, class... A> T* CreateForm(A&&... args);
    // The message loop, until Terminate; the forms are freed when it ends.
    void Run();
    void ProcessMessages();
    // Ends the program: every open modal window is closed first through its own close path,
    // the innermost first (a form's close query asks what it asks); one that refuses keeps the
    // program running. A message box waits for its answer. The message loops end once the
    // last modal window has gone.
    void Terminate();
    bool Terminated() const { return FTerminated; }
    void Minimize();

    // While a modal window is open (a form, a message box, the file-open dialog), every other
    // window of the thread is disabled, the hidden ones of the program too (the main window is
    // hidden), so that nothing but that window takes input; messages (hotkeys, the hook's
    // keys, the tray's notifications) still arrive. `keep` stays enabled: the modal window
    // itself, or the owner that a system dialog disables and enables again on its own.
    // `close` closes the window through its normal path when the program must end; false
    // when it refused. Scopes nest; EndModal gives back what the last BeginModal took.
    void BeginModal(HWND keep, std::function<bool()> close = {});
    void EndModal() noexcept;
    bool Modal() const { return !FModalScopes.empty(); }
    // The window that takes input while a modal window is open, to the front (a click on the
    // tray icon comes here instead of opening the menu). False when there is none.
    bool BringModalToFront();

    // The top-level error handler: call inside a catch block. Shows the error and returns.
    void HandleException() noexcept;
    void ShowException(const std::string& message) noexcept;

    // The control that holds the focus in the active form, if any.
    HWND FocusedControl() const;
    void SetActiveForm(TForm* form) { FActiveForm = form; }
    TForm* ActiveForm() const { return FActiveForm; }
    // Dispatches one message with dialog navigation for our forms.
    void DispatchOne(MSG& msg);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void SetMainForm(TForm* form);
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam,
                                    LPARAM lParam) noexcept;
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::string FTitle;
    UniqueWindow FHandle;
    TForm* FMainForm = nullptr;
    TForm* FActiveForm = nullptr;
    bool FTerminated = false;
    struct ModalScope {
        std::vector<HWND> Disabled;
        std::function<bool()> Close;
    };
    std::vector<ModalScope> FModalScopes;
};

extern TApplication Application;

// A modal window's time: BeginModal on construction, EndModal on every way out.
class TModalScope {
public:
    explicit TModalScope(HWND keep, std::function<bool()> close = {}) {
        Application.BeginModal(keep, std::move(close));
    }
    ~TModalScope() { Application.EndModal(); }
    TModalScope(const TModalScope&) = delete;
    TModalScope& operator=(const TModalScope&) = delete;
};

// T is a form: whoever creates one includes its declaration, so this header needs no forms.
template <class T, class... A> T* TApplication::CreateForm(A&&... args) {
    T* form = T::template Create<T>(this, std::forward<A>(args)...);
    if (!FMainForm) {
        form->Handle();
        SetMainForm(form);
    }
    return form;
}
