// The bar's image button: an owner-drawn push button whose own window paints nothing.
// It keeps an up, a down and a disabled image and blends the one of its state into the
// owner's composite bitmap (DrawOnto), caption centred on top; a change of its pressed
// state makes the owner repaint.
#pragma once

#include "afx/Button.h"
#include "skin/MemoryBitmap.h"

class BaseButton : public CButton {
public:
    // Loads the package's default pictures ("image\up2.png", "image\down2.png",
    // "image\disable2.png"); without a package the images stay empty.
    BaseButton();
    ~BaseButton() override;

    // Makes the control owner-drawn and gives it the size of the up image, keeping its
    // position. The owner calls it again after loading the images.
    void PreSubclassWindow() override;
    // The platform's owner-draw request: follows the pressed state and invalidates the
    // parent when it changes; draws nothing into the control.
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    // Blends the image of the current state into `target`, which is addressed in the
    // parent's client coordinates, and draws the caption over it. Nothing while the
    // button or a parent is hidden, nor into a target without device context or pixels.
    void DrawOnto(MemoryBitmap& target);

protected:
    void OnMouseMove(UINT nFlags, CPoint point);
    LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseHover(WPARAM wParam, LPARAM lParam);
    BOOL OnEraseBkgnd(CDC* pDC);

    DECLARE_MESSAGE_MAP()

private:
    int m_bPressed = 0;

public:
    MemoryBitmap m_image[3];  // up, down, disabled

private:
    int m_bTracking = 0;  // a hover-and-leave tracking request is active
};
