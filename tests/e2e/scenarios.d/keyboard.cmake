list(APPEND scenarios keyboard keyboard_escape)
