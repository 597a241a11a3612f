# Unattended removal: the command line, exit codes in every mode, the log.
list(APPEND scenarios silent_full silent_product_closes silent_refuses_held silent_second_copy
  log_unwritable command_line windowed_cancel_log silent_japanese log_planted log_devices unseen_station)
set(e2e_locale_silent_japanese ja_JP.UTF-8)
