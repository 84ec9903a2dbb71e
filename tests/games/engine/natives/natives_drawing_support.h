// A game engine whose slot 0 is a small bitmap surface and whose host reads files from a fresh folder,
// for the tests of the drawing, image and sound natives.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/graphics/bitmap_context.h"
#include "tests/games/engine/fake_game_host.h"
#include "tests/games/engine/script_test_support.h"

namespace zelvan::testing {

struct NativesBench {
    explicit NativesBench(int width = 64, int height = 64) : width(width), height(height) {
        fnd::AppFolders::setUp();
        root = fnd::AppFolders::temporary() + "/game-files";
        fnd::FileManager::createDirectoryAtPath(root);
        host->fileRoots = {root};
        screen = gfx::BitmapContext::create(width, height, gfx::PixelFormat::Bgra8PremulFirstLE);
    }

    // A file under the allowed folder; its absolute path.
    std::string put(const std::string& name, const fnd::Bytes& bytes) const {
        const std::string path = root + "/" + name;
        fnd::FileManager::createFileAtPath(path, bytes);
        return path;
    }

    // Runs `body` as "main" in a new engine of the surface's size (kept in `engine`) whose slot 0 is
    // `screen`, behind `guard` as a script view would install it.
    fnd::Value run(std::string_view body, const fnd::Value& args = fnd::Value()) {
        engine = std::make_unique<STLScriptEngine>(assemble(mainProgram(body)), kTestMyId, 5, kTestGameId, fnd::Value(),
                                                   fnd::Value(), width, height, host);
        guard->surface = screen;
        engine->setContext(screen, 0, guard);
        return engine->call("main", args);
    }

    int width;
    int height;
    std::shared_ptr<FakeGameHost> host = std::make_shared<FakeGameHost>();
    std::string root;
    std::shared_ptr<gfx::BitmapContext> screen;
    std::shared_ptr<SurfaceGuard> guard = std::make_shared<SurfaceGuard>();
    std::unique_ptr<STLScriptEngine> engine;
};

// A script literal of `text`.
inline std::string lit(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

} // namespace zelvan::testing
