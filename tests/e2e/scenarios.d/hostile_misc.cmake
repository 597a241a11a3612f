list(APPEND scenarios hung_product_linked_keys)
