# Yatsuha: sporty, short spiky orange hair with a folded towel on top,
# teal track jacket, navy shorts, sneakers, sun-tanned.
set(CHAR_NAME "Yatsuha")

set(C_LINE       "#3a2315")
set(C_SKIN       "#f6c9a0")
set(C_BLUSH      "#f39a7c")
set(C_HAIR       "#ff952e")
set(C_HAIR_SHADE "#c8601a")
set(C_MAIN       "#22ae9e")
set(C_ACCENT     "#2d4a86")
set(C_LIGHT      "#f8f8ee")
set(C_SHOE       "#f8f8ee")
# Navy notes would vanish against the fence; hum in teal.
set(C_NOTE       "#22ae9e")

set(HEAD_Y 32)
set(HIP_Y 73)
set(FOOT_Y 97)
set(HAND_X 46)
set(HAND_Y 60)
set(SOAK_HEAD_Y 39)
