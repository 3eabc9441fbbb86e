# Pelulu: tiny and round, pale green hair in two buns with pink bows,
# a round yellow smock, pink shoes.
set(CHAR_NAME "Pelulu")

set(C_LINE       "#2c3b2b")
set(C_SKIN       "#ffe6d3")
set(C_BLUSH      "#ffa4ad")
set(C_HAIR       "#bde8a3")
set(C_HAIR_SHADE "#7fbb6c")
set(C_MAIN       "#ffd964")
set(C_ACCENT     "#ff8fab")
set(C_LIGHT      "#fffbf0")
set(C_SHOE       "#ff8fab")

# A head as big as everyone's on half a body.
set(HEAD_Y 47)
set(HIP_Y 86)
set(FOOT_Y 97)
set(HAND_X 43)
set(HAND_Y 79)
set(SOAK_HEAD_Y 42)
