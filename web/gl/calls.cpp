// Recording calls into the display list being compiled or the geometry being kept.
#include "calls.hpp"

#include "context.hpp"

namespace gl11 {

void appendCall(CallList& list, Op op, std::initializer_list<Word> words, const void* data, int dataBytes) {
    Command k{};
    k.op = op;
    int n = 0;
    for (Word w : words) {
        if (n < kCommandWords) k.words[n++] = w;
    }
    if (data && dataBytes > 0) {
        k.dataOffset = static_cast<std::uint32_t>(list.data.size());
        k.dataBytes = static_cast<std::uint32_t>(dataBytes);
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        list.data.insert(list.data.end(), bytes, bytes + dataBytes);
    }
    list.commands.push_back(k);
}

bool recordedOnly(Op op, std::initializer_list<Word> words, const void* data, int dataBytes) {
    if (context.playDepth > 0) return false;
    if (context.kept.capturing != 0 && isVertexCall(op)) {
        appendCall(context.kept.kept[context.kept.capturing].calls, op, words, data, dataBytes);
        return true;
    }
    ListTable& lists = context.lists;
    if (lists.compiling == 0) return false;
    appendCall(lists.recorded, op, words, data, dataBytes);
    return lists.mode == GL_COMPILE;
}

}  // namespace gl11
