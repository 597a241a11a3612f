list(APPEND scenarios self_complete self_bystander self_reinstall self_killed self_win98 self_link
  self_swapped self_unheld self_job)
