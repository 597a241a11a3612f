list(APPEND scenarios keyboard)
