#pragma once
// Drag and drop over Qt (the Qt driver's form of dnd.h). A widget that accepts drops
// (vWidget::setAcceptDrops) gets one vDropEvent per drag over it, handed to its dragEnter,
// dragMove, dragLeave and drop. Handlers read the dragged data through the event: files (local
// file URLs), text, or a named pointer dragged inside this process.
//
// Everything here runs on the GUI thread.

#include <cstdint>
#include <vector>

#include "core/str.h"
#include "toolkit/platform_types.h"

class QMimeData;

namespace vwin {

class vWidget;

// The MIME type of a dragged pointer; its data is one vPointerBlock.
inline constexpr const char* pointer_mime_type = "application/x-vwin-pointer-drag";

// The pointer's block, exactly this size. A receiver acts on a pointer only when the process id
// is its own and the serial names a drag of this process that is still running and holds that
// very value: a block from another process, or one left over from an ended drag, is never taken
// for an address.
struct vPointerBlock {
    std::uint64_t value;    // the pointer
    std::uint64_t serial;   // number of the drag that made the block, unique in its process
    std::uint32_t process;  // id of the process that started the drag
    std::uint32_t reserved; // 0
};
static_assert(sizeof(vPointerBlock) == 24, "the pointer block has a fixed layout");

// One drag over one widget, from entering until leaving or dropping. Handlers set `effect`; the
// driver answers it to Qt, limited to the effects the source allows.
class vDropEvent {
public:
    // `allowed`: the effects the drag source allows (DROPEFFECT_* bits); `effect` starts with them.
    vDropEvent(const QMimeData* data, DWORD allowed);
    vDropEvent(const vDropEvent&) = delete;
    vDropEvent& operator=(const vDropEvent&) = delete;
    virtual ~vDropEvent() = default;

    POINTL point{};     // pointer position, screen coordinates
    DWORD keyState = 0; // MK_* mouse-button and modifier bits
    DWORD effect = 0;   // the answer: 0 none, 1 copy, 2 move (DROPEFFECT_*)

    DWORD allowed() const { return allowed_; }
    const QMimeData* data() const { return data_; }

    void accept() { effect = DROPEFFECT_COPY; }
    void acceptMove() { effect = DROPEFFECT_MOVE; }
    void refuse() { effect = DROPEFFECT_NONE; }

    // The data offers at least one local file.
    bool hasFiles();
    // Appends every dropped local file name followed by `separator` (null: nothing) to `text`.
    // False, with `text` unchanged, when there is none.
    bool fileNames(str& text, const char16_t* separator);
    // Replaces `text` with the dragged text. False, `text` unchanged, when there is none.
    bool dragText(str& text);
    // The data offers the pointer type and text, the pointer was dragged inside this process
    // (fromThisProcess) and, when `name` is given, the text equals it (case-sensitive).
    bool hasNamedPointer(const char16_t* name);
    // dragText into `text`, then the pointer. False when either cannot be fetched or the pointer
    // did not come from a live drag of this process; `value` is then left as it was.
    bool pointerValue(str& text, std::uintptr_t& value);
    // The pointer block is well formed and was made by a drag of this process that is running.
    bool fromThisProcess();

    // Why the last query above answered false (a fixed text; "" after a true answer).
    const char* lastError() const { return error_; }

private:
    bool fail(const char* why) {
        error_ = why;
        return false;
    }
    bool readPointer(std::uintptr_t& value);
    // The local files the data offers, read once: a drop from another program may no longer
    // deliver the list that its moves did.
    const std::vector<str>& localFiles();

    const QMimeData* data_ = nullptr;
    DWORD allowed_ = 0;
    const char* error_ = "";
    std::vector<str> files_;
    bool filesRead_ = false;
};

// Drags a list item inside the program: the pointer named "vListViewItem" holding the item's
// address, move allowed. Answers the effect of the drop (0 when cancelled).
DWORD runItemDrag(void* item);

} // namespace vwin
