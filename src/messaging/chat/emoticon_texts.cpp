// The emoticon text table and the image name of each entry.
#include "messaging/chat/emoticon_texts.h"

#include "platform/foundation/format.h"

namespace zelvan {

const std::vector<std::string>& emoticonTextList() {
    // A function-local static is built exactly once even when several threads ask at the same time.
    static const std::vector<std::string> list = {
        ":)",     ":D",     ":p",     ":(",     ":'(",    "|-)",    ":@",     //
        ":s",     ":o",     ":$",     "(y)",    "(n)",    "(h)",    "8o|",    //
        "(l)",    "[~0~]",  "[~1~]",  "[~2~]",  "[~3~]",  "[~4~]",  "[~5~]",  //
        "[~6~]",  "[~7~]",  "[~8~]",  "[~9~]",  "[~10~]", "[~11~]", "[~12~]", //
        "[~13~]", "[~14~]", "[~15~]", "[~16~]", "[~17~]", "[~18~]", "[~19~]", //
        "[~20~]", "[~21~]", "[~22~]", "[~23~]", "[~24~]", "[~25~]", "[~26~]", //
    };
    return list;
}

std::string emoticonImageName(int index) {
    return fnd::format("e%d", index);
}

} // namespace zelvan
