!!ARBfp1.0
# Multiplies the interpolated colour by program.local[0], so one program
# recolours whatever is drawn with it.
PARAM tint = program.local[0];
MUL result.color, fragment.color, tint;
END
