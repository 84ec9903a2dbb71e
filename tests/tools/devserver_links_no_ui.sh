#!/bin/sh
# The dev server speaks the wire protocol only: its executable must load no drawing, font or image
# library and contain no code of the graphics or view layers.
set -eu
server="$1"
if ldd "$server" | grep -E 'libcairo|libfreetype|libfontconfig|libpng|libjpeg|libgif|libsndfile'; then
    echo "zelvan-devserver loads a drawing, image or sound library" >&2
    exit 1
fi
if nm -C "$server" | grep -E ' [TtWw] (gfx|ui|media|device)::' | head -5 | grep .; then
    echo "zelvan-devserver contains graphics or view code" >&2
    exit 1
fi
echo "zelvan-devserver links the protocol and foundation libraries only"
