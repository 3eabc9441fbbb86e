# Rumika: cheerful, rose-pink ponytail, red yukata with a yellow obi.
set(CHAR_NAME "Rumika")

set(C_LINE       "#4a1f2c")
set(C_SKIN       "#ffe2cc")
set(C_BLUSH      "#ff9ea6")
set(C_HAIR       "#f58cab")
set(C_HAIR_SHADE "#c24f72")
set(C_MAIN       "#e2454f")
set(C_ACCENT     "#ffcd45")
set(C_LIGHT      "#fff7ec")
set(C_SHOE       "#c24f72")

# Proportions of the standing frames (frame rows).
set(HEAD_Y 32)
set(HIP_Y 76)
set(FOOT_Y 97)
set(HAND_X 44)
set(HAND_Y 65)
# Head centre while soaking.
set(SOAK_HEAD_Y 38)
# The ponytail needs room on the left of the close-up.
set(TALK_X 65)
