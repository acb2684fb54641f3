#include "app/diagram/BoxListMake.h"

#include "app/diagram/BoxList.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/TagTable.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/Processing.h"
#include "platform/vbrt/Error.h"

namespace vellumora {

namespace {

using platform::vbrt::Raise;

const QString kUnexpectedTag = QStringLiteral("不当なﾀｸﾞが出現しています。");
const QString kRoutineMisplaced = QStringLiteral("Routineﾀｸﾞが所定の位置にありません。");
const QString kBadSequence = QStringLiteral("ﾀｸﾞのｼｰｹﾝｽが不良です。");
const QString kEndMisplaced = QStringLiteral("endﾀｸﾞが所定の位置にありません。");
const QString kCaseOutsideBranch = QStringLiteral("Branchﾀｸﾞ以外でCaseﾀｸﾞが使用されています。");

// Sub lists being built right now, the outermost first. The parser descends once per level,
// so this is also the depth of its own recursion.
int openLevels = 0;

// Opens one nesting level for the life of a SubListMake; refuses a level past the bound
// before anything of it is made.
class NestingLevel {
public:
    NestingLevel()
    {
        if (openLevels >= MaxNestingLevel)
            Raise(QStringLiteral("SubListMake"),
                  QStringLiteral("入れ子の深さが上限の%1段を超えています。").arg(MaxNestingLevel));
        ++openLevels;
    }
    ~NestingLevel() { --openLevels; }
    NestingLevel(const NestingLevel&) = delete;
    NestingLevel& operator=(const NestingLevel&) = delete;
};

// Records are fetched by index every time: adding a box or sub line may move the lists.
BoxRecord& BoxAt(std::int16_t canvas, std::int16_t box)
{
    return B[static_cast<std::size_t>(canvas)].BoxList[static_cast<std::size_t>(box)];
}

SubRecord& SubAt(std::int16_t canvas, std::int16_t sub)
{
    return B[static_cast<std::size_t>(canvas)].SubList[static_cast<std::size_t>(sub)];
}

// The next record, left in place for the next read.
PadInfoRecord PeekPadInfo()
{
    PadInfoRecord record = GetPadInfo();
    UngetPadInfo();
    return record;
}

bool HasAttribute(const PadInfoRecord& record, std::int32_t attribute) { return (record.flags & attribute) != 0; }

// A body that holds no box still gets its one sub line.
void EmptyBodyMake(std::int16_t canvas, std::int16_t box)
{
    const std::int16_t sub = SubLineAdd(canvas, -1, box, 1);
    BoxRecord& owner = BoxAt(canvas, box);
    owner.subIndex = sub;
    owner.subCount = 1;
}

void BodyMake(std::int16_t canvas, std::int16_t box, bool body, bool rightPage)
{
    if (body) {
        const std::int16_t sub = SubListMake(canvas, box, SubListMode::Body, rightPage);
        BoxAt(canvas, box).subIndex = sub;
    } else {
        EmptyBodyMake(canvas, box);
    }
}

// Whether a routine or tree has a body: a box begins one, an end tag closes an empty one.
bool BodyFollows(const QString& source)
{
    const PadInfoRecord next = PeekPadInfo();
    if (next.tagId == TagId::Routine)
        Raise(source, kRoutineMisplaced);
    if (HasAttribute(next, TagAttribute::BlockEndTag))
        return false;
    if (!HasAttribute(next, TagAttribute::BlockTag))
        Raise(source, kBadSequence);
    return true;
}

std::int16_t SimpleBoxMake(std::int16_t canvas, const PadInfoRecord& record, std::int16_t previous,
                           std::int16_t owner)
{
    return BoxAdd(canvas, record, previous, owner);
}

std::int16_t FreeStyleBoxMake(std::int16_t canvas, const PadInfoRecord& record, std::int16_t previous,
                              std::int16_t owner)
{
    const std::int16_t box = BoxAdd(canvas, record, previous, owner);
    FreeStyleParse(canvas, box, record);
    return box;
}

// A routine with a text is a box whose body hangs from one sub line; its end record is left
// for the list that holds it, which ends there too. A routine without a text makes no box:
// the records after it belong to the enclosing list, and its end record ends that list.
std::int16_t RoutineBox(std::int16_t canvas, const PadInfoRecord& record, std::int16_t previous, std::int16_t owner)
{
    const QString source = QStringLiteral("RoutineBox");
    B[static_cast<std::size_t>(canvas)].header.kindFlags = record.flags & TagAttribute::ObstinateMask;
    // Named before the body too, so that a refusal while the body is read (a full list) names
    // the canvas; named again after it, since a routine in the body may have renamed it.
    if (!record.nameText.isEmpty())
        CanvasCaptionMake(canvas, record.nameText);

    std::int16_t box = -1;
    if (!record.text.isEmpty()) {
        box = BoxAdd(canvas, record, previous, owner);
        BodyMake(canvas, box, BodyFollows(source), record.rightPage);

        if (PeekPadInfo().tagId != TagId::EndRoutine)
            Raise(source, kEndMisplaced);
        BoxAt(canvas, box).subCount = 1;
    }
    if (!record.nameText.isEmpty())
        CanvasCaptionMake(canvas, record.nameText);
    return box;
}

// A branch owns one sub line per case record; without cases it has none.
std::int16_t BranchBox(std::int16_t canvas, const PadInfoRecord& record, std::int16_t previous, std::int16_t owner)
{
    const QString source = QStringLiteral("BranchBox");
    const std::int16_t box = BoxAdd(canvas, record, previous, owner);

    const PadInfoRecord next = PeekPadInfo();
    bool cases = false;
    if (next.tagId == TagId::Case)
        cases = true;
    else if (next.tagId == TagId::EndBranch)
        cases = false;
    else if (next.tagId == TagId::Routine)
        Raise(source, kRoutineMisplaced);
    else if (HasAttribute(next, TagAttribute::BlockEndTag))
        Raise(source, kEndMisplaced);
    else
        Raise(source, kBadSequence);
    if (cases) {
        const std::int16_t sub = SubListMake(canvas, box, SubListMode::Cases, false);
        BoxAt(canvas, box).subIndex = sub;
    }

    if (GetPadInfo().tagId != TagId::EndBranch)
        Raise(source, kEndMisplaced);
    return box;
}

std::int16_t LoopBox(std::int16_t canvas, const PadInfoRecord& record, std::int16_t previous, std::int16_t owner)
{
    const QString source = QStringLiteral("LoopBox");
    const std::int16_t box = BoxAdd(canvas, record, previous, owner);
    if (record.before)
        BoxAt(canvas, box).flags |= BoxFlag::TestBefore;
    else
        BoxAt(canvas, box).flags &= ~BoxFlag::TestBefore;

    // A record that is neither a box nor an end tag leaves the body empty; the end check
    // below then refuses it.
    const PadInfoRecord next = PeekPadInfo();
    bool body = false;
    if (next.tagId == TagId::Routine)
        Raise(source, kRoutineMisplaced);
    else if (next.tagId == TagId::EndLoop)
        body = false;
    else if (HasAttribute(next, TagAttribute::BlockEndTag))
        Raise(source, kEndMisplaced);
    else
        body = HasAttribute(next, TagAttribute::BlockTag);
    BodyMake(canvas, box, body, record.rightPage);

    if (GetPadInfo().tagId != TagId::EndLoop)
        Raise(source, kEndMisplaced);
    BoxAt(canvas, box).subCount = 1;
    return box;
}

std::int16_t TreeBox(std::int16_t canvas, const PadInfoRecord& record, std::int16_t previous, std::int16_t owner)
{
    const QString source = QStringLiteral("TreeBox");
    const std::int16_t box = BoxAdd(canvas, record, previous, owner);
    BodyMake(canvas, box, BodyFollows(source), record.rightPage);

    if (GetPadInfo().tagId != TagId::EndTree)
        Raise(source, kEndMisplaced);
    BoxAt(canvas, box).subCount = 1;
    return box;
}

} // namespace

std::int16_t BoxListMake(std::int16_t canvas, std::int16_t owner)
{
    std::int16_t first = -1;
    std::int16_t previous = -1;
    bool listEnds = false;
    while (!listEnds) {
        const PadInfoRecord record = GetPadInfo();
        std::int16_t box = -1;
        switch (record.tagId) {
        case TagId::Routine:
            box = RoutineBox(canvas, record, previous, owner);
            break;
        case TagId::Branch:
            box = BranchBox(canvas, record, previous, owner);
            break;
        case TagId::Loop:
            box = LoopBox(canvas, record, previous, owner);
            break;
        case TagId::Tree:
            box = TreeBox(canvas, record, previous, owner);
            break;
        case TagId::FreeStyle:
            box = FreeStyleBoxMake(canvas, record, previous, owner);
            break;
        case TagId::Block:
        case TagId::Declare:
        case TagId::Input:
        case TagId::Output:
        case TagId::External:
        case TagId::Label:
        case TagId::Break:
        case TagId::Continue:
        case TagId::Jump:
        case TagId::Note:
        case TagId::Chink:
        case TagId::Egg:
            box = SimpleBoxMake(canvas, record, previous, owner);
            break;
        case TagId::EndRoutine:
        case TagId::EndBranch:
        case TagId::EndLoop:
        case TagId::EndTree:
        case TagId::Case:
            UngetPadInfo();
            listEnds = true;
            break;
        default:
            // The end of the input, a document tag or a section tag: only a free-standing
            // list may end here, and the record is not put back.
            if (owner != 0)
                Raise(QStringLiteral("BoxListMake"), kUnexpectedTag);
            listEnds = true;
            break;
        }
        if (box >= 0) {
            if (first < 0)
                first = box;
            else
                BoxAt(canvas, previous).after = box;
            previous = box;
        }
    }
    if (owner < 0)
        B[static_cast<std::size_t>(canvas)].header.firstBox = first;
    return first;
}

std::int16_t SubListMake(std::int16_t canvas, std::int16_t box, std::int16_t mode, bool rightPage)
{
    const NestingLevel level;
    std::int16_t first = -1;
    std::int16_t previous = -1;
    std::int16_t number = 0;
    for (;;) {
        ++number;
        const std::int16_t sub = SubLineAdd(canvas, previous, box, number);

        const PadInfoRecord record = GetPadInfo();
        if (record.tagId == TagId::Case) {
            if (mode == SubListMode::Body)
                Raise(QStringLiteral("SubListMake"), kCaseOutsideBranch);
            if (record.rightPage)
                SubAt(canvas, sub).flags |= SubFlag::RightPage;
            SubAt(canvas, sub).text = TextInfoMake(record.text);
        } else {
            if (rightPage)
                SubAt(canvas, sub).flags |= SubFlag::RightPage;
            UngetPadInfo();
        }

        // A case followed at once by the next case has no boxes.
        if (PeekPadInfo().tagId != TagId::Case) {
            const std::int16_t below = BoxListMake(canvas, sub);
            SubAt(canvas, sub).boxIndex = below;
        }

        if (first < 0)
            first = sub;
        else
            SubAt(canvas, previous).after = sub;

        if (mode == SubListMode::Body || PeekPadInfo().tagId != TagId::Case)
            break;
        previous = sub;
    }
    return first;
}

} // namespace vellumora
