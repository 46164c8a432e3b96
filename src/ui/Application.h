#pragma once
// The application object: its hidden top-level window (the taskbar button), the main form, the
// message loop and the top-level error handler.
#include "Component.h"
#include "UniqueHandle_win.h"

#include <string>
#include <utility>

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
    void Terminate();
    void Minimize();

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
};

extern TApplication Application;

// T is a form: whoever creates one includes its declaration, so this header needs no forms.
template <class T, class... A> T* TApplication::CreateForm(A&&... args) {
    T* form = T::template Create<T>(this, std::forward<A>(args)...);
    if (!FMainForm) {
        form->Handle();
        SetMainForm(form);
    }
    return form;
}
