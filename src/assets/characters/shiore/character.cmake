# Shiore: calm, long straight dark-blue hair, round glasses, cream
# cardigan over a pale blue pleated skirt, navy tights.
set(CHAR_NAME "Shiore")

set(C_LINE       "#1c2140")
set(C_SKIN       "#fde6d6")
set(C_BLUSH      "#f3a9b2")
set(C_HAIR       "#33508f")
set(C_HAIR_SHADE "#223563")
set(C_MAIN       "#f0e3c6")
set(C_ACCENT     "#7fb0e0")
set(C_LIGHT      "#fdfcf7")
set(C_LEG        "#223563")

set(HEAD_Y 31)
set(HIP_Y 74)
set(FOOT_Y 97)
set(HAND_X 42)
set(HAND_Y 67)
set(SOAK_HEAD_Y 38)
