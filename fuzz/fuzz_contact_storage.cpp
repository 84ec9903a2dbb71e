// Fuzz target: untrusted bytes stored as the messenger's contact file and its IM account file (the
// first byte picks which get them), loaded, saved and loaded again, with the lookups in between;
// nothing may crash and a loaded list must survive its own save unchanged in size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "messaging/model/contact_manage.h"
#include "messaging/window/im_chat_window.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/log.h"
#include "temp_folder_fuzz_support.h"

namespace {

void prepareRoot() {
    ::setenv("ZELVAN_HOME", fuzzsupport::temporaryFolder("fuzz-contacts").c_str(), 1);
}

void store(const char* name, const fnd::Bytes& bytes) {
    const std::string folder = fnd::AppFolders::appDocuments();
    std::filesystem::create_directories(folder);
    if (!fnd::writeFile(folder + "/" + name, bytes)) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (prepareRoot(), true);
    (void)ready;
    if (size == 0) {
        return 0;
    }
    const fnd::Bytes bytes(data + 1, data + size);
    std::filesystem::remove_all(fnd::AppFolders::appDocuments());
    if (data[0] & 1) {
        store(zelvan::ContactManage::kContactFile, bytes);
    }
    if (data[0] & 2) {
        store(zelvan::ContactManage::kIMFile, bytes);
    }

    zelvan::ContactManage model([] { return false; }, std::make_shared<zelvan::IMChatList>());
    model.loadStorage();
    for (const auto& card : model.all()) {
        model.getuserid(card->userid());
        model.getcontactid(card->contactid());
        model.existvcard(*card);
    }
    for (const auto& account : model.ims()) {
        model.findIM(account->prot(), account->user());
    }
    model.getchat(-1, "1");
    const size_t cards = model.all().size();
    model.saveStorage();

    zelvan::ContactManage again([] { return false; }, std::make_shared<zelvan::IMChatList>());
    again.loadStorage();
    if (again.all().size() != cards || again.rev() != model.rev()) {
        std::abort();
    }
    return 0;
}
