#pragma once
// Drawn controls: panels with a caption and a bevel (also containers of other controls), a
// button that never takes the focus, a line, an icon.
#include "Forms.h"

enum class TBevelCut { bvNone, bvRaised, bvLowered };

// A panel painted by the program: its caption centred in the font's colour inside a raised or
// lowered bevel. Clicking it runs OnClick. Controls made with it as parent lie inside it and
// their notifications reach their objects through it.
class TPanel : public TControl {
public:
    using TControl::TControl;
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut value);

protected:
    const char* ClassName() const override { return "STATIC"; }
    DWORD Style() const override;
    DWORD ExStyle() const override { return WS_EX_CONTROLPARENT; }
    bool Command(int code) override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    // Whether it looks pressed now.
    virtual bool Sunken() const { return FBevelOuter == TBevelCut::bvLowered; }

private:
    TBevelCut FBevelOuter = TBevelCut::bvRaised;
};

// A push button that clicks without taking the focus from where the user is typing.
class TSpeedButton : public TPanel {
public:
    using TPanel::TPanel;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool Command(int) override { return true; }
    bool Sunken() const override { return FDown && FInside; }

private:
    bool FDown = false, FInside = false;
};

// An etched line along the top of its rectangle, or a frame round it.
class TBevel : public TControl {
public:
    using TControl::TControl;
    bool Frame = false;

protected:
    const char* ClassName() const override { return "STATIC"; }
    DWORD Style() const override { return Frame ? SS_ETCHEDFRAME : SS_ETCHEDHORZ; }
};

// An icon at its natural size, from the program's resources or borrowed from the caller.
class TImage : public TControl {
public:
    using TControl::TControl;
    ~TImage() override;
    void LoadIcon(const char* resourceName);
    // The caller keeps `icon` alive as long as the image shows it.
    void SetIcon(HICON icon);

protected:
    const char* ClassName() const override { return "STATIC"; }
    DWORD Style() const override { return SS_ICON | SS_REALSIZEIMAGE; }
    void Created() override;

private:
    HICON FIcon = nullptr;
    UniqueIcon FOwnIcon;
};
