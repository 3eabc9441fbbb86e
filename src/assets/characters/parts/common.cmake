# Settings shared by all five characters. Included once per character,
# before the character's own file, which may override any of them.

# Sprite frames: row of the water surface where a soaking body goes in.
set(WATER_Y 66)

# Colours of things that are not the character.
set(C_FLUSH "#f4616b")
set(C_FLUSH_LINE "#c8323f")
set(C_STEAM "#f3f6f9")
set(C_STEAM_RIM "#aebfcc")
set(C_WATER_LIGHT "#e6f7fd")
set(C_WATER_DARK "#2f8478")

# Talking face: head-space origin placed at (TALK_X, TALK_Y), scaled up.
set(TALK_X 60)
set(TALK_Y 58)
set(TALK_SCALE 2.1)
