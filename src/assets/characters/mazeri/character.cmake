# Mazeri: tall, long wavy silver-lavender hair, gold star hairpin, long
# deep purple dress with gold trim.
set(CHAR_NAME "Mazeri")

set(C_LINE       "#251a3b")
set(C_SKIN       "#fce5dc")
set(C_BLUSH      "#f1a2bf")
set(C_HAIR       "#d5c8f0")
set(C_HAIR_SHADE "#9479cc")
set(C_MAIN       "#55398f")
set(C_ACCENT     "#ffd046")
set(C_LIGHT      "#fdfbff")
set(C_SHOE       "#251a3b")

set(HEAD_Y 26)
set(HIP_Y 70)
set(FOOT_Y 98)
set(HAND_X 43)
set(HAND_Y 64)
set(SOAK_HEAD_Y 36)
