// The images every GlyphMenu of the process shares, with the command id of each.
#pragma once

#include "framework/CImageList.h"

#include <mutex>
#include <vector>

class GlyphMenuImages {
  public:
    // How the images of one strip go into the list.
    struct StripOptions {
        int imageWidth = 16;
        int imageHeight = 15;
        // Pixels of this colour are transparent.
        COLORREF transparent = 0;
        // Add each image as an icon rather than as a masked bitmap.
        bool asIcons = false;
        // Add a washed and a shadow copy after each image, so every command stands three
        // times in a row.
        bool withVariants = false;
        // Colour of the shadow copy's pixels.
        COLORREF shadow = 0;
    };

    // The one store of the process, made on first use; callable from any thread.
    static GlyphMenuImages& shared();

    // Adds the images of a strip of images side by side, one per command, in order. The
    // list is created on the first call with that call's image size; a strip of another
    // image size, or one narrower than the commands need, is refused (false, nothing added).
    bool addStrip(HBITMAP strip, const std::vector<UINT>& commands, const StripOptions& options);
    // Index of the first image of a command, or -1.
    int find(UINT command) const;
    // Whether entries index, index + 1 and index + 2 belong to one command.
    bool hasTriple(int index) const;
    // A new icon of the image at index (the caller owns it), or none.
    UniqueIcon icon(int index) const;
    int count() const;

  private:
    GlyphMenuImages() = default;
    bool addOne(const std::vector<COLORREF>& pixels, const StripOptions& options);

    // Menus of the interface thread and of message boxes on the worker thread read and add
    // images at once; the lock keeps the list and the commands in step.
    mutable std::mutex lock_;
    CImageList list_;
    std::vector<UINT> commands_;
};
