#include "app/dpi_layout.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/main_layout.h"
#include "resources/main_window_ids.h"

// ---- the template as the resource compiler wrote it ----

namespace {

constexpr uint32_t kVisibleStyle = 0x10000000; // WS_VISIBLE
constexpr uint32_t kSetFontStyle = 0x40;       // DS_SETFONT
constexpr int kButtonAtom = 0x80;
constexpr int kStaticAtom = 0x82;

struct Reader {
    const uint8_t* bytes;
    size_t size;
    size_t at;
    bool failed;

    int Word() {
        if (at + 2 > size) {
            failed = true;
            return 0;
        }
        const int w = bytes[at] | bytes[at + 1] << 8;
        at += 2;
        return w;
    }
    uint32_t Dword() {
        const uint32_t low = static_cast<uint32_t>(Word());
        return low | static_cast<uint32_t>(Word()) << 16;
    }
    int Short() { return static_cast<int16_t>(Word()); }
    // A string of UTF-16 units up to its 0, kept as ASCII (others become '?').
    void String(char* out, size_t outSize) {
        size_t n = 0;
        for (int unit = Word(); unit != 0 && !failed; unit = Word()) {
            if (n + 1 < outSize) {
                out[n++] = unit < 128 ? static_cast<char>(unit) : '?';
            }
        }
        out[n] = 0;
    }
    // A name or an ordinal (0xFFFF and the number): the number and no name, or -1 and
    // the name.
    int NameOrOrdinal(char* name, size_t nameSize) {
        if (at + 2 <= size && bytes[at] == 0xFF && bytes[at + 1] == 0xFF) {
            Word();
            name[0] = 0;
            return Word();
        }
        String(name, nameSize);
        return -1;
    }
};

// A control's class is an atom or a name, here in upper case: resource compilers write
// either.
int KindOf(int classAtom, const char* className, uint32_t style) {
    if (classAtom == kStaticAtom || std::strcmp(className, "STATIC") == 0) {
        switch (style & 0x1F) { // SS_TYPEMASK
        case 0x03:              // SS_ICON
        case 0x0E:              // SS_BITMAP
            return kImageKind;
        case 0x0D: // SS_OWNERDRAW
            return kPictureKind;
        default:
            return kTextKind;
        }
    }
    if (classAtom == kButtonAtom || std::strcmp(className, "BUTTON") == 0) {
        switch (style & 0x0F) { // BS_TYPEMASK
        case 0x00:              // BS_PUSHBUTTON
        case 0x01:              // BS_DEFPUSHBUTTON
            return kButtonKind;
        case 0x07: // BS_GROUPBOX
            return kFrameKind;
        default:
            return kOtherKind;
        }
    }
    return kOtherKind;
}

} // namespace

int ReadDialogTemplate(const uint8_t* bytes, size_t size, DialogTemplate* dialog) {
    Reader r = {bytes, size, 0, false};
    const uint32_t style = r.Dword();
    r.Dword(); // extended style
    const int count = r.Word();
    r.Short(); // x, y
    r.Short();
    dialog->width = r.Short();
    dialog->height = r.Short();
    char ignored[64];
    r.NameOrOrdinal(ignored, sizeof ignored); // menu
    r.NameOrOrdinal(ignored, sizeof ignored); // class
    r.String(ignored, sizeof ignored);        // title
    dialog->pointSize = 0;
    dialog->faceName[0] = 0;
    if (style & kSetFontStyle) {
        dialog->pointSize = r.Word();
        r.String(dialog->faceName, sizeof dialog->faceName);
    }
    if (style == 0xFFFF0001u ||
        count > static_cast<int>(sizeof dialog->controls / sizeof dialog->controls[0])) {
        return 0; // a DIALOGEX, or more controls than there is room for
    }
    for (int i = 0; i < count && !r.failed; ++i) {
        r.at = (r.at + 3) & ~static_cast<size_t>(3); // each control starts on a DWORD
        TemplateControl& c = dialog->controls[i];
        const uint32_t controlStyle = r.Dword();
        r.Dword(); // extended style
        c.x = r.Short();
        c.y = r.Short();
        c.width = r.Short();
        c.height = r.Short();
        c.id = r.Short(); // -1 stands for "no identifier"
        char className[32] = {};
        const int atom = r.NameOrOrdinal(className, sizeof className);
        for (char& letter : className) {
            letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
        }
        r.NameOrOrdinal(ignored, sizeof ignored); // text, or a picture's resource number
        const int extra = r.Word();
        r.at += static_cast<size_t>(extra); // creation data, not used here
        c.kind = KindOf(atom, className, controlStyle);
        c.visible = (controlStyle & kVisibleStyle) != 0;
    }
    dialog->controlCount = count;
    return r.failed || r.at > size ? 0 : 1;
}

// ---- places at a display scale ----

namespace {

// Rows: two controls whose middles lie less than half the smaller height apart.
bool SameRow(const TemplateControl& a, const TemplateControl& b) {
    const int twiceApart = (2 * a.y + a.height) - (2 * b.y + b.height);
    return std::abs(twiceApart) < std::min(a.height, b.height);
}

// How far a control moves up because optional rows above it are not shown.
int OptionalRowShift(const DialogTemplate& dialog, const TemplateControl& c) {
    const auto rowOf = [](const TemplateControl& o) {
        const bool optional =
            (o.kind == kTextKind || o.kind == kImageKind) && o.y >= kOptionalRowsTop;
        return optional ? (o.y - kOptionalRowsTop) / kOptionalRowPitch : -1;
    };
    const int row = rowOf(c);
    int shift = 0;
    for (int r = 0; r < row; ++r) {
        bool shown = false;
        for (int j = 0; j < dialog.controlCount; ++j) {
            shown = shown || (rowOf(dialog.controls[j]) == r && dialog.controls[j].visible);
        }
        shift += shown ? 0 : kOptionalRowPitch;
    }
    return shift;
}

} // namespace

void PlaceControls(const DialogTemplate& dialog, DialogBaseUnits base, int dpi,
                   const int* textWidths, const ControlPlace* imageSizes, ControlPlace* places) {
    const int n = dialog.controlCount;
    for (int i = 0; i < n; ++i) {
        const TemplateControl& c = dialog.controls[i];
        // The dialog manager's own arithmetic at 96 dpi, then the edges scaled.
        const int x = MulDivRound(c.x, base.x, 4);
        const int y = MulDivRound(c.y - OptionalRowShift(dialog, c), base.y, 8);
        int width = MulDivRound(c.width, base.x, 4);
        int height = MulDivRound(c.height, base.y, 8);
        if (c.kind == kImageKind && imageSizes != nullptr && imageSizes[i].width > 0) {
            width = imageSizes[i].width;
            height = imageSizes[i].height;
        }
        places[i].x = ScaleToDpi(x, dpi);
        places[i].y = ScaleToDpi(y, dpi);
        places[i].width = ScaleToDpi(x + width, dpi) - places[i].x;
        places[i].height = ScaleToDpi(y + height, dpi) - places[i].y;
    }
    if (textWidths == nullptr) {
        return;
    }
    // A label whose text has grown moves everything right of it in its row by as much;
    // the moves of several labels add up, in whatever order they are made.
    for (int i = 0; i < n; ++i) {
        const TemplateControl& c = dialog.controls[i];
        const int grow = std::max(textWidths[i] - places[i].width, 0);
        if (c.kind != kTextKind || !c.visible) {
            continue;
        }
        places[i].width += grow;
        for (int j = 0; j < n; ++j) {
            const TemplateControl& o = dialog.controls[j];
            if (o.x > c.x && o.kind != kFrameKind && SameRow(c, o)) {
                places[j].x += grow;
            }
        }
    }
}

int LowestTextBottom(const DialogTemplate& dialog, const ControlPlace* places) {
    int bottom = 0;
    for (int i = 0; i < dialog.controlCount; ++i) {
        const TemplateControl& c = dialog.controls[i];
        if (c.kind == kTextKind && c.visible) {
            bottom = std::max(bottom, places[i].y + places[i].height);
        }
    }
    return bottom;
}

namespace {

MainLayout LayoutAt(const DialogTemplate& dialog, const ControlPlace* places, int width, int height,
                    bool batchMode, int dpi) {
    ControlPlace button = {0, 0, 0, 0};
    for (int i = 0; i < dialog.controlCount; ++i) {
        if (dialog.controls[i].id == IDC_EXIT_BUTTON) {
            button = places[i];
        }
    }
    return ComputeMainLayout(width, height, button.width, button.height,
                             LowestTextBottom(dialog, places), batchMode, dpi);
}

// Rows of the picture that its control shows, and rows drawn.
void PictureRows(const MainLayout& layout, int* shown, int* drawn) {
    *drawn = static_cast<int>(PictureScaleFor(layout.pictureWidth) * 340.0);
    *shown = std::min(layout.pictureHeight, *drawn);
}

} // namespace

ClientSize OpeningClientSize(const DialogTemplate& dialog, DialogBaseUnits base, int dpi,
                             const ControlPlace* places, bool batchMode) {
    ControlPlace places96[sizeof dialog.controls / sizeof dialog.controls[0]];
    PlaceControls(dialog, base, kBaseDpi, nullptr, nullptr, places96);
    const ClientSize size96 = {MulDivRound(dialog.width, base.x, 4),
                               MulDivRound(dialog.height, base.y, 8)};
    ClientSize size = {ScaleToDpi(size96.width, dpi), ScaleToDpi(size96.height, dpi)};
    int shown96 = 0, drawn96 = 0, shown = 0, drawn = 0;
    PictureRows(LayoutAt(dialog, places96, size96.width, size96.height, batchMode, kBaseDpi),
                &shown96, &drawn96);
    PictureRows(LayoutAt(dialog, places, size.width, size.height, batchMode, dpi), &shown, &drawn);
    if (drawn96 > 0) {
        // shown / drawn >= shown96 / drawn96, in whole rows
        const int64_t needed = (static_cast<int64_t>(shown96) * drawn + drawn96 - 1) / drawn96;
        size.height += static_cast<int>(std::max<int64_t>(needed - shown, 0));
    }
    return size;
}
