#!/usr/bin/env bash
# The committed toolbar strip, index marks and icon are exactly what
# resources/draw_images.py draws from its pixel art.
# Args: the tagtool program (unused), the repository root.
root="$2"
python3 "$root/resources/draw_images.py" --check
